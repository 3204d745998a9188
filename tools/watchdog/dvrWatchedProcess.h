#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>

// One process, recognised by its number and its start time, so a number the system has given
// to a new process since is never taken for it (and never killed).
class dvrWatchedProcess {
public:
    // Reads the identity of a running process; false when there is none.
    static bool ofProcess(pid_t pid, dvrWatchedProcess& process);
    // The start time from the contents of /proc/<pid>/stat, and whether the process has ended
    // (a zombie waiting for its parent counts as ended).
    static bool parseStat(const std::string& stat, unsigned long long& startTime, bool& ended);

    pid_t pid() const { return pid_; }
    // The same process still exists and has not ended.
    bool isRunning() const;
    // Kills the process with SIGKILL if it still runs and waits (bounded) until it has ended.
    bool killAndWait(std::chrono::milliseconds patience) const;

private:
    pid_t pid_ = -1;
    unsigned long long startTime_ = 0;
};
