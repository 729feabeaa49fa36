#pragma once

#include <sys/types.h>

#include <vector>

// The processes that a started program has become: itself and everything it
// started in turn, read from /proc.
std::vector<pid_t> processTree(pid_t root);

// Proportional set size in KiB, from /proc/PID/smaps_rollup; 0 when it is gone.
long pssKiB(pid_t pid);

struct TreeMemory {
    long rootKiB = 0;
    long treeKiB = 0;
    int processes = 0;
};
TreeMemory treeMemory(pid_t root);

// Ends the whole tree: SIGTERM, then SIGKILL for whatever is still there.
void endTree(pid_t root);
