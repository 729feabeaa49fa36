#include "proctree.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

// The parent of `pid`, from the field after the command name in /proc/PID/stat
// (the name may itself hold blanks and parentheses).
pid_t parentOf(pid_t pid)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", pid);
    FILE* file = std::fopen(path, "r");
    if (!file)
        return -1;
    char line[1024] = {};
    const size_t length = std::fread(line, 1, sizeof line - 1, file);
    std::fclose(file);
    line[length] = '\0';
    const char* end = std::strrchr(line, ')');
    if (!end)
        return -1;
    char state = 0;
    int parent = -1;
    if (std::sscanf(end + 1, " %c %d", &state, &parent) != 2)
        return -1;
    return parent;
}

} // namespace

std::vector<pid_t> processTree(pid_t root)
{
    std::multimap<pid_t, pid_t> children;
    if (DIR* proc = opendir("/proc")) {
        while (dirent* entry = readdir(proc)) {
            const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
            if (pid > 0)
                children.emplace(parentOf(pid), pid);
        }
        closedir(proc);
    }
    std::vector<pid_t> tree{root};
    for (size_t i = 0; i < tree.size(); ++i) {
        auto [first, last] = children.equal_range(tree[i]);
        for (auto it = first; it != last; ++it)
            tree.push_back(it->second);
    }
    return tree;
}

long pssKiB(pid_t pid)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/smaps_rollup", pid);
    FILE* file = std::fopen(path, "r");
    if (!file)
        return 0;
    long kib = 0;
    char line[256];
    while (std::fgets(line, sizeof line, file))
        if (std::sscanf(line, "Pss: %ld kB", &kib) == 1)
            break;
    std::fclose(file);
    return kib;
}

TreeMemory treeMemory(pid_t root)
{
    TreeMemory memory;
    for (pid_t pid : processTree(root)) {
        const long kib = pssKiB(pid);
        if (pid == root)
            memory.rootKiB = kib;
        memory.treeKiB += kib;
        ++memory.processes;
    }
    return memory;
}

void endTree(pid_t root)
{
    const std::vector<pid_t> tree = processTree(root);
    for (pid_t pid : tree)
        kill(pid, SIGTERM);
    for (int i = 0; i < 40; ++i) {
        bool alive = false;
        for (pid_t pid : tree)
            alive = alive || (pid != root && kill(pid, 0) == 0);
        if (!alive)
            break;
        usleep(50 * 1000);
    }
    for (pid_t pid : tree)
        kill(pid, SIGKILL);
}
