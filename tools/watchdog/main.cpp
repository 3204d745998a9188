// mirdal-watchdog: started by the recorder, without arguments, from the recorder's working
// directory. Restarts the recorder when it stops emptying its poll file.
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "dvrDetachedLauncher.h"
#include "dvrRecorderCommand.h"
#include "dvrRecorderSupervisor.h"
#include "dvrRestartLog.h"
#include "dvrWatchdogOptions.h"
#include "dvrWatchedProcess.h"

namespace {

// Relative paths are taken from the working directory at the start.
std::string absolute(const std::string& path) {
    std::error_code ignored;
    std::filesystem::path full = std::filesystem::absolute(path, ignored);
    return full.empty() ? path : full.string();
}

} // namespace

int main(int argumentCount, char** arguments) {
    dvrWatchdogOptions options;
    std::string problem;
    if (!options.parse(argumentCount, arguments, problem)) {
        std::fprintf(stderr, "mirdal-watchdog: %s\n%s", problem.c_str(), dvrWatchdogOptions::usage());
        return 2;
    }
    if (options.helpWanted) {
        std::fputs(dvrWatchdogOptions::usage(), stdout);
        return 0;
    }

    pid_t parent = ::getppid();
    dvrRestartLog log(absolute(options.logFile));
    dvrPollFile pollFile(absolute(options.pollFile));
    // Nothing of the recorder's may stay held here: not its terminal or pipes, and above all not
    // a descriptor of its single-instance lock, which would keep the restarted recorder out.
    dvrDetachedLauncher::resetInheritedState();

    dvrWatchedProcess recorder;
    dvrRecorderCommand command;
    if (parent <= 1 || !dvrWatchedProcess::ofProcess(parent, recorder)) {
        log.write("The recorder that started mirdal-watchdog is already gone; nothing to watch.");
        return 1;
    }
    if (!dvrRecorderCommand::ofProcess(parent, command, problem)) {
        log.write("Cannot learn how to restart the recorder (process " + std::to_string(parent) +
                  "): " + problem);
        return 1;
    }
    log.write("Watching the recorder (process " + std::to_string(parent) + ") through " + pollFile.path() +
              ", grace " + std::to_string(options.graceSeconds) + " s: " + command.description());
    dvrRecorderSupervisor supervisor(recorder, command, pollFile, std::chrono::seconds(options.graceSeconds),
                                     log);
    return supervisor.run();
}
