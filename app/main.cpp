#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "dvrHeadlessRecorder.h"
#include "log/dvrLog.h"
#include "log/dvrLogFile.h"

namespace {
void printUsage() {
    std::printf("Usage: mirdal [--headless] [--verbose]\n"
                "  --headless  run without windows; commands are read from standard input\n"
                "  --verbose   write verbose messages to the log\n");
}
} // namespace

int main(int argc, char** argv) {
    bool headless = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0) {
            headless = true;
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
    // The log goes to the program directory, the working directory at start-up; it stays open
    // until the very end so the shut-down's last messages reach it.
    dvrLogFile::openProgramLog(dvrHeadlessRecorder::workingDirectory());
    if (!headless) {
        const char* notice = "[CORE] The desktop windows are not part of this build; running without windows.\n";
        logMessage("%s", notice);
        std::fputs(notice, stderr);
    }

    dvrHeadlessRecorder::installSignalHandlers();
    dvrHeadlessRecorder recorder(STDIN_FILENO);
    int result = 1;
    if (recorder.startUp()) {
        result = recorder.runUntilQuit();
        recorder.shutDown();
    }
    dvrLogFile::closeProgramLog();
    return result;
}
