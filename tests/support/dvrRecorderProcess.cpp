#include "dvrRecorderProcess.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

dvrRecorderProcess::dvrRecorderProcess(const std::string& program, const std::string& directory,
                                       const std::vector<std::string>& arguments, const std::string& outputName) {
    int input[2];
    if (::pipe(input) != 0)
        return;
    // Everything the child needs is prepared before the fork.
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ == 0) {
        if (::chdir(directory.c_str()) != 0)
            _exit(126);
        ::setenv("XDG_RUNTIME_DIR", directory.c_str(), 1);
        ::dup2(input[0], STDIN_FILENO);
        int output = ::open(outputName.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        ::dup2(output, STDERR_FILENO);
        ::dup2(output, STDOUT_FILENO);
        ::close(input[1]);
        ::execv(program.c_str(), argv.data());
        _exit(127);
    }
    ::close(input[0]);
    input_ = input[1];
    if (pid_ < 0)
        closeInput();
}

dvrRecorderProcess::~dvrRecorderProcess() {
    closeInput();
    kill();
}

void dvrRecorderProcess::send(const std::string& text) {
    if (input_ >= 0) {
        [[maybe_unused]] ssize_t written = ::write(input_, text.data(), text.size());
    }
}

void dvrRecorderProcess::closeInput() {
    if (input_ >= 0)
        ::close(input_);
    input_ = -1;
}

int dvrRecorderProcess::waitForEnd(std::chrono::milliseconds limit) {
    if (pid_ <= 0)
        return -1;
    auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    for (;;) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return status;
        }
        if (std::chrono::steady_clock::now() >= end)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void dvrRecorderProcess::kill() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}
