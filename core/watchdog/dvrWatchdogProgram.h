#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// The external watchdog program, mirdal-watchdog, as the recorder starts it: without arguments,
// in the recorder's working directory, as a direct child (it learns from its parent what to
// restart), with standard input and output on /dev/null and none of the recorder's other
// descriptors, and without waiting for it.
class dvrWatchdogProgram {
public:
    static constexpr const char* programName = "mirdal-watchdog";

    // The first of the directories that holds an executable mirdal-watchdog; "" when none does.
    static std::string find(const std::vector<std::string>& directories);

    dvrWatchdogProgram() = default;
    // Collects the program if it has ended; a running one is left running.
    ~dvrWatchdogProgram();
    dvrWatchdogProgram(const dvrWatchdogProgram&) = delete;
    dvrWatchdogProgram& operator=(const dvrWatchdogProgram&) = delete;

    // Starts the program at the path; logs and returns false when it cannot be started.
    bool start(const std::string& path);
    // Collects the program once it has ended, so it does not linger as a zombie; returns whether
    // it has ended (or was never started). Cheap: call it now and then, and at shut-down.
    bool reap();
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};
