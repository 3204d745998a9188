#pragma once

#include <string>

#include "dvrRestartLog.h"
#include "watchdog/dvrPollFile.h"

// The command line of mirdal-watchdog. The recorder starts it without arguments; the options
// exist for tests and for unusual installations.
class dvrWatchdogOptions {
public:
    static constexpr int defaultGraceSeconds = 30;
    static constexpr int minimumGraceSeconds = 1;
    static constexpr int maximumGraceSeconds = 86400;
    static constexpr std::size_t maximumPathLength = 4096;

    // False with problem set for an unknown option, a missing value or a value out of range.
    bool parse(int argumentCount, const char* const* arguments, std::string& problem);
    static const char* usage();

    int graceSeconds = defaultGraceSeconds;
    std::string pollFile = dvrPollFile::fileName;
    std::string logFile = dvrRestartLog::defaultFileName;
    bool helpWanted = false;
};
