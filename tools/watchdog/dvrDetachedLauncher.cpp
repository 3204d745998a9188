#include "dvrDetachedLauncher.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "dvrRecorderCommand.h"

namespace {

void closeDescriptorsFrom(int first) {
    if (::close_range(static_cast<unsigned>(first), ~0U, 0) != 0)
        for (int descriptor = first; descriptor < 65536; ++descriptor)
            ::close(descriptor);
}

void defaultSignalHandling() {
    sigset_t nothing;
    sigemptyset(&nothing);
    sigprocmask(SIG_SETMASK, &nothing, nullptr);
    for (int signal = 1; signal < NSIG; ++signal)
        if (signal != SIGKILL && signal != SIGSTOP)
            ::signal(signal, SIG_DFL);
}

void standardDescriptorsOnNull() {
    int null = ::open("/dev/null", O_RDWR);
    if (null < 0)
        return;
    for (int standard = 0; standard <= 2; ++standard)
        if (null != standard)
            ::dup2(null, standard);
    if (null > 2)
        ::close(null);
}

} // namespace

void dvrDetachedLauncher::resetInheritedState() {
    defaultSignalHandling();
    standardDescriptorsOnNull();
    closeDescriptorsFrom(3);
}

pid_t dvrDetachedLauncher::launch(const dvrRecorderCommand& command, std::string& problem) {
    if (command.arguments().empty()) {
        problem = "no arguments";
        return -1;
    }
    // Everything the child needs is prepared before fork.
    std::vector<char*> argv;
    for (const std::string& argument : command.arguments())
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const char* executable = command.executable().c_str();
    const char* directory = command.workingDirectory().c_str();

    // The child reports a failed exec through this pipe; a successful exec closes it.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        problem = "pipe: " + std::error_code(errno, std::generic_category()).message();
        return -1;
    }
    pid_t pid = ::fork();
    if (pid < 0) {
        problem = "fork: " + std::error_code(errno, std::generic_category()).message();
        ::close(report[0]);
        ::close(report[1]);
        return -1;
    }
    if (pid == 0) {
        ::close(report[0]);
        int error = 0;
        if (::setsid() < 0 || ::chdir(directory) != 0) {
            error = errno;
        } else {
            defaultSignalHandling();
            standardDescriptorsOnNull();
            if (report[1] != 3) {
                ::dup2(report[1], 3);
                ::close(report[1]);
                ::fcntl(3, F_SETFD, FD_CLOEXEC);
                report[1] = 3;
            }
            closeDescriptorsFrom(4);
            ::execv(executable, argv.data());
            error = errno;
        }
        ssize_t ignored = ::write(report[1], &error, sizeof error);
        (void)ignored;
        ::_exit(127);
    }
    ::close(report[1]);
    int error = 0;
    ssize_t n;
    do {
        n = ::read(report[0], &error, sizeof error);
    } while (n < 0 && errno == EINTR);
    ::close(report[0]);
    if (n > 0) {
        problem = std::error_code(error, std::generic_category()).message();
        ::waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}
