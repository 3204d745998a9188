#include "dvrWatchdogOptions.h"

#include <string_view>

namespace {

// Digits only, within the range: "12x", "-3", " 5" and overflowing numbers are refused.
bool parseNumber(std::string_view text, int low, int high, int& value) {
    if (text.empty() || text.size() > 9)
        return false;
    int number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (c - '0');
    }
    if (number < low || number > high)
        return false;
    value = number;
    return true;
}

} // namespace

bool dvrWatchdogOptions::parse(int argumentCount, const char* const* arguments, std::string& problem) {
    for (int i = 1; i < argumentCount; ++i) {
        std::string_view option = arguments[i];
        if (option == "--help" || option == "-h") {
            helpWanted = true;
            continue;
        }
        if (option != "--grace-seconds" && option != "--poll-file" && option != "--log-file") {
            problem = "unknown option " + std::string(option.substr(0, 64));
            return false;
        }
        if (i + 1 >= argumentCount) {
            problem = std::string(option) + " needs a value";
            return false;
        }
        std::string_view value = arguments[++i];
        if (option == "--grace-seconds") {
            if (!parseNumber(value, minimumGraceSeconds, maximumGraceSeconds, graceSeconds)) {
                problem = "--grace-seconds takes a whole number from " + std::to_string(minimumGraceSeconds) +
                          " to " + std::to_string(maximumGraceSeconds);
                return false;
            }
        } else {
            if (value.empty() || value.size() > maximumPathLength) {
                problem = std::string(option) + " needs a path of 1 to " + std::to_string(maximumPathLength) +
                          " characters";
                return false;
            }
            (option == "--poll-file" ? pollFile : logFile) = std::string(value);
        }
    }
    return true;
}

const char* dvrWatchdogOptions::usage() {
    return "Usage: mirdal-watchdog [--grace-seconds N] [--poll-file PATH] [--log-file PATH]\n"
           "Started by the recorder from its working directory. Restarts the recorder (same program,\n"
           "arguments and working directory) when it has not emptied the poll file for N seconds\n"
           "(default 30); ends when the file holds \"die\".\n";
}
