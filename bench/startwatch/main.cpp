// startwatch: starts a program on the current X display and reports, from the
// outside, when its top-level window is mapped, when a digit typed at that
// moment shows, when its web strip paints and settles, and how much memory its
// process tree holds once it has settled. One line of name=value pairs.
//
//   startwatch [options] -- PROGRAM [ARGUMENTS...]
//     --settle MS          read the memory this long after the launch (5000)
//     --digit X,Y,W,H      type "7" right after the map; time until this part
//     --reference FILE       of the window shows the picture kept in FILE
//     --record FILE        after the settle, type "7" and keep that picture in FILE
//     --strip X,Y,W,H      time until this part, once painted grey, shows
//                            something else, and until it stops changing
//     --type-sums          type "1" and keypad "+" in turn from the map until
//                            the strip has settled; reports how many pairs
//     --pointer X,Y        where the pointer rests over the window
//     --check COMMAND      run "COMMAND PID PAIRS" after the settle and report
//                            its output and exit status
//     --quit X,Y           double-click there after the settle and expect the
//                            program to end with status 0

#include "proctree.h"
#include "xwatch.h"

#include <X11/keysym.h>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr unsigned FormGrey = 0x808080;
constexpr double StripQuietMs = 500; // a strip unchanged this long has settled
constexpr double KeyGapMs = 10;      // between typed keys

struct Options {
    double settleMs = 5000;
    Area digit, strip;
    const char* reference = nullptr;
    const char* record = nullptr;
    bool typeSums = false;
    Area pointer, quit;
    bool hasPointer = false, hasQuit = false;
    const char* check = nullptr;
    char** program = nullptr;
};

struct Result {
    double mapMs = -1, digitMs = -1, stripMs = -1, stripSettledMs = -1;
    int pairs = 0;
};

[[noreturn]] void usage()
{
    std::fprintf(stderr, "usage: startwatch [options] -- PROGRAM [ARGUMENTS...]\n");
    std::exit(2);
}

Options parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--") {
            if (i + 1 >= argc)
                usage();
            options.program = argv + i + 1;
            return options;
        }
        if (name == "--type-sums") {
            options.typeSums = true;
            continue;
        }
        if (i + 1 >= argc)
            usage();
        const char* value = argv[++i];
        bool ok = true;
        if (name == "--settle")
            options.settleMs = std::atof(value);
        else if (name == "--digit")
            ok = parseArea(value, options.digit);
        else if (name == "--strip")
            ok = parseArea(value, options.strip);
        else if (name == "--reference")
            options.reference = value;
        else if (name == "--record")
            options.record = value;
        else if (name == "--check")
            options.check = value;
        else if (name == "--pointer")
            ok = options.hasPointer = parseArea(value, options.pointer);
        else if (name == "--quit")
            ok = options.hasQuit = parseArea(value, options.quit);
        else
            ok = false;
        if (!ok)
            usage();
    }
    usage();
}

std::vector<unsigned> readPicture(const char* path)
{
    std::vector<unsigned> pixels;
    if (FILE* file = std::fopen(path, "rb")) {
        unsigned word = 0;
        while (std::fread(&word, sizeof word, 1, file) == 1)
            pixels.push_back(word);
        std::fclose(file);
    }
    return pixels;
}

void writePicture(const char* path, const std::vector<unsigned>& pixels)
{
    if (FILE* file = std::fopen(path, "wb")) {
        std::fwrite(pixels.data(), sizeof(unsigned), pixels.size(), file);
        std::fclose(file);
    }
}

bool allOf(const std::vector<unsigned>& pixels, unsigned colour)
{
    if (pixels.empty())
        return false;
    for (unsigned pixel : pixels)
        if (pixel != colour)
            return false;
    return true;
}

void sleepMs(double ms) { usleep(static_cast<useconds_t>(ms * 1000)); }

pid_t launch(char** program)
{
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(program[0], program);
        std::perror(program[0]);
        _exit(127);
    }
    return pid;
}

// Follows the window from its map to the settle time: the typed digit, the
// strip, and the keys typed while the strip starts.
void follow(XWatch& x, Window window, const Options& options, double start, Result& result)
{
    const std::vector<unsigned> reference =
        options.reference ? readPicture(options.reference) : std::vector<unsigned>();
    if (!options.digit.empty() && options.reference)
        x.typeKey(XK_7);
    bool stripPainted = false;
    std::vector<unsigned> lastStrip;
    double lastStripChange = 0, nextKey = nowMs();
    bool plusNext = false;
    const double end = start + options.settleMs;
    while (nowMs() < end) {
        const double now = nowMs();
        x.drainEvents(window);
        if (result.digitMs < 0 && !reference.empty() && x.grab(window, options.digit) == reference)
            result.digitMs = now - start;
        if (!options.strip.empty() && result.stripSettledMs < 0) {
            std::vector<unsigned> strip = x.grab(window, options.strip);
            if (!stripPainted) {
                stripPainted = allOf(strip, FormGrey);
            } else if (result.stripMs < 0 && !strip.empty() && !allOf(strip, FormGrey)) {
                result.stripMs = now - start;
                lastStripChange = now;
            } else if (result.stripMs >= 0 && strip != lastStrip) {
                lastStripChange = now;
            } else if (result.stripMs >= 0 && now - lastStripChange >= StripQuietMs) {
                result.stripSettledMs = lastStripChange - start;
            }
            lastStrip = std::move(strip);
        }
        const bool typing = options.typeSums && result.stripSettledMs < 0;
        if (typing && now >= nextKey) {
            x.typeKey(plusNext ? XK_KP_Add : XK_1);
            result.pairs += plusNext ? 1 : 0;
            plusNext = !plusNext;
            nextKey = now + KeyGapMs;
        }
        const bool busy = result.digitMs < 0 || typing;
        sleepMs(busy ? 1 : 20);
    }
    if (plusNext) { // never leave a digit without its "+"
        x.typeKey(XK_KP_Add);
        ++result.pairs;
    }
}

std::string runCheck(const char* command, pid_t pid, int pairs, int& status)
{
    const std::string line =
        std::string(command) + " " + std::to_string(pid) + " " + std::to_string(pairs);
    std::string output;
    FILE* pipe = popen(line.c_str(), "r");
    if (!pipe) {
        status = -1;
        return output;
    }
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    status = WEXITSTATUS(pclose(pipe));
    while (!output.empty() && (output.back() == '\n' || output.back() == ' '))
        output.pop_back();
    for (char& c : output)
        c = c == '\n' ? ' ' : c;
    return output;
}

// Double-clicks the quit point and waits for the program's own end.
std::string quitByDoubleClick(XWatch& x, Window window, const Area& point, pid_t pid)
{
    x.pointAt(window, point.x, point.y);
    sleepMs(100);
    x.click();
    sleepMs(60);
    x.click();
    for (int i = 0; i < 300; ++i) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            if (WIFEXITED(status))
                return std::to_string(WEXITSTATUS(status));
            return "signal" + std::to_string(WTERMSIG(status));
        }
        sleepMs(50);
    }
    return "none";
}

// Whatever the program left running: this process is their reaper.
int endLeftovers()
{
    sleepMs(1000);
    std::vector<pid_t> left = processTree(getpid());
    int count = 0;
    for (pid_t pid : left) {
        if (pid == getpid())
            continue;
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            continue; // had already ended; only reaped now
        ++count;
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    return count;
}

} // namespace

int main(int argc, char** argv)
{
    const Options options = parse(argc, argv);
    XWatch x;
    if (!x.ok()) {
        std::fprintf(stderr, "startwatch: cannot open the display\n");
        return 1;
    }
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    Result result;
    const double start = nowMs();
    const pid_t pid = launch(options.program);
    double mappedAt = 0;
    const Window window = x.waitForTopLevelMap(start + 30000, mappedAt);
    if (!window) {
        endTree(pid);
        waitpid(pid, nullptr, 0);
        std::printf("map_ms=none\n");
        return 1;
    }
    result.mapMs = mappedAt - start;
    x.focus(window);
    if (options.hasPointer)
        x.pointAt(window, options.pointer.x, options.pointer.y);
    follow(x, window, options, start, result);

    const TreeMemory memory = treeMemory(pid);
    std::printf("map_ms=%.1f digit_ms=%.1f strip_ms=%.1f strip_settled_ms=%.1f "
                "pss_main_kib=%ld pss_tree_kib=%ld processes=%d",
                result.mapMs, result.digitMs, result.stripMs, result.stripSettledMs, memory.rootKiB,
                memory.treeKiB, memory.processes);
    if (options.typeSums)
        std::printf(" pairs=%d", result.pairs);
    if (options.check) {
        int status = 0;
        const std::string output = runCheck(options.check, pid, result.pairs, status);
        std::printf(" check=%d %s", status, output.c_str());
    }
    if (options.record) {
        x.typeKey(XK_7);
        sleepMs(1000);
        writePicture(options.record, x.grab(window, options.digit));
    }
    x.drainEvents(window);
    std::printf(" unmaps=%d", x.unmaps());
    if (options.hasQuit) {
        const std::string exit = quitByDoubleClick(x, window, options.quit, pid);
        std::printf(" exit=%s", exit.c_str());
        if (exit == "none") {
            endTree(pid);
            waitpid(pid, nullptr, 0);
        }
    } else {
        endTree(pid);
        waitpid(pid, nullptr, 0);
    }
    std::printf(" leftover=%d\n", endLeftovers());
    return 0;
}
