#include "watchdog/dvrWatchdogProgram.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

#include "log/dvrLog.h"

extern char** environ;

std::string dvrWatchdogProgram::find(const std::vector<std::string>& directories) {
    for (const std::string& directory : directories) {
        if (directory.empty())
            continue;
        std::string path = directory + "/" + programName;
        if (::access(path.c_str(), X_OK) == 0)
            return path;
    }
    return std::string();
}

dvrWatchdogProgram::~dvrWatchdogProgram() {
    reap();
}

bool dvrWatchdogProgram::start(const std::string& path) {
    reap();
    if (pid_ > 0) {
        logWarning("[WATCHDOG] %s is already running (process %d).\n", programName, static_cast<int>(pid_));
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // A descriptor without close-on-exec (a lock, a socket) must not live on in the program.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    // The recorder's blocked signals must not carry over into the program and from there into a
    // restarted recorder.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t nothing;
    sigemptyset(&nothing);
    posix_spawnattr_setsigmask(&attributes, &nothing);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);

    char* const arguments[] = {const_cast<char*>(programName), nullptr};
    pid_t pid = -1;
    int error = ::posix_spawn(&pid, path.c_str(), &actions, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        logError("[WATCHDOG] Cannot start %s: %s\n", path.c_str(),
                 std::error_code(error, std::generic_category()).message().c_str());
        return false;
    }
    pid_ = pid;
    return true;
}

bool dvrWatchdogProgram::reap() {
    if (pid_ <= 0)
        return true;
    pid_t result = ::waitpid(pid_, nullptr, WNOHANG);
    if (result == 0)
        return false;
    // Ended, or not ours to wait for any more (someone else collected it).
    pid_ = -1;
    return true;
}
