#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "dvrHeadlessRecorder.h"
#include "log/dvrLog.h"

namespace {
void printUsage() {
    std::printf("Usage: mirdal [--headless] [--verbose] [--no-watchdog]\n"
                "  --headless     run without windows; commands are read from standard input\n"
                "  --verbose      write verbose messages to the log\n"
                "  --no-watchdog  do not start mirdal-watchdog (a service manager restarts the recorder)\n"
                "  --main-loop-timeout SECONDS\n"
                "                 how long the main loop may hang before the software watchdog acts\n"
                "                 (%d to %d, default 200; only with the setting \"swwatchdog\" on)\n",
                dvrApplication::minimumMainLoopTimeout, dvrApplication::maximumMainLoopTimeout);
}
} // namespace

int main(int argc, char** argv) {
    bool headless = false;
    dvrApplication::Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0) {
            headless = true;
        } else if (std::strcmp(argv[i], "--no-watchdog") == 0) {
            options.startWatchdogProgram = false;
        } else if (std::strcmp(argv[i], "--main-loop-timeout") == 0 && i + 1 < argc) {
            char* end = nullptr;
            long seconds = std::strtol(argv[++i], &end, 10);
            if (*argv[i] == '\0' || *end != '\0' || seconds < dvrApplication::minimumMainLoopTimeout ||
                seconds > dvrApplication::maximumMainLoopTimeout) {
                std::fprintf(stderr, "mirdal: --main-loop-timeout takes %d to %d seconds\n",
                             dvrApplication::minimumMainLoopTimeout, dvrApplication::maximumMainLoopTimeout);
                return 2;
            }
            options.mainLoopTimeoutSeconds = static_cast<int>(seconds);
        } else if (std::strcmp(argv[i], "--verbose") == 0) {
            dvrLog::setVerbose(true);
        } else if (std::strcmp(argv[i], "--help") == 0) {
            printUsage();
            return 0;
        } else {
            std::fprintf(stderr, "mirdal: unknown option `%s'\n", argv[i]);
            printUsage();
            return 2;
        }
    }
    if (!headless)
        std::fputs("The desktop windows are not part of this build; running without windows.\n", stderr);

    dvrHeadlessRecorder::installSignalHandlers();
    dvrHeadlessRecorder recorder(STDIN_FILENO, options);
    int result = 1;
    if (recorder.startUp()) {
        result = recorder.runUntilQuit();
        recorder.shutDown();
    }
    return result;
}
