#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

// The recorder program started in a directory of its own, which is also its runtime directory
// (so its single-instance lock never meets another recorder). Its standard input is a pipe; its
// standard output and error are appended to outputName in that directory. Ending the object
// closes the input and kills the process if it still runs.
class dvrRecorderProcess {
public:
    dvrRecorderProcess(const std::string& program, const std::string& directory,
                       const std::vector<std::string>& arguments, const std::string& outputName = "stderr.txt");
    ~dvrRecorderProcess();
    dvrRecorderProcess(const dvrRecorderProcess&) = delete;
    dvrRecorderProcess& operator=(const dvrRecorderProcess&) = delete;

    // -1 when the start failed or the process has been waited for.
    pid_t pid() const { return pid_; }
    void send(const std::string& text);
    void closeInput();
    // Waits (bounded) for the end; the wait status, or -1 when it did not end in time.
    int waitForEnd(std::chrono::milliseconds limit);
    // SIGKILL, then waits for it.
    void kill();

private:
    pid_t pid_ = -1;
    int input_ = -1;
};
