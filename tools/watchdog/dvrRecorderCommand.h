#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// How to start a recorder again exactly as it was started: its executable, its argument list
// (with the program name first) and its working directory, learnt from /proc.
class dvrRecorderCommand {
public:
    // Bounds on what is read from /proc; a process beyond them is not restarted rather than
    // restarted with a cut command line.
    static constexpr std::size_t maximumCommandLineLength = 65536;
    static constexpr std::size_t maximumArgumentCount = 256;
    static constexpr std::size_t maximumPathLength = 4096;

    // Reads the command of a running process; on failure problem says why.
    static bool ofProcess(pid_t pid, dvrRecorderCommand& command, std::string& problem);
    // Splits the contents of /proc/<pid>/cmdline (arguments each ended by a NUL byte).
    static bool splitCommandLine(std::string_view bytes, std::vector<std::string>& arguments,
                                 std::string& problem);

    const std::string& executable() const { return executable_; }
    const std::vector<std::string>& arguments() const { return arguments_; }
    const std::string& workingDirectory() const { return workingDirectory_; }
    // The whole command for the log, arguments quoted.
    std::string description() const;

private:
    std::string executable_;
    std::vector<std::string> arguments_;
    std::string workingDirectory_;
};
