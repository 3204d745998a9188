#include "log/dvrLog.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

class dvrStandardErrorTarget : public dvrLogTarget {
public:
    void write(dvrLogSeverity severity, const std::string& text) override {
        const char* word = severity == dvrLogSeverity::error     ? "Error: "
                           : severity == dvrLogSeverity::warning ? "Warning: "
                                                                 : "";
        std::fprintf(stderr, "%s%s\n", word, text.c_str());
        std::fflush(stderr);
    }
};

// Longest message kept; longer texts are cut, never split.
constexpr std::size_t maximumMessageLength = 4095;

std::mutex targetLock;
dvrStandardErrorTarget standardErrorTarget;
dvrLogTarget* activeTarget = &standardErrorTarget;
std::atomic<bool> verboseOn{false};

std::string format(const char* format, va_list arguments) {
    std::vector<char> buffer(maximumMessageLength + 1);
    int length = std::vsnprintf(buffer.data(), buffer.size(), format, arguments);
    if (length < 0)
        return std::string();
    std::size_t kept = static_cast<std::size_t>(length) < maximumMessageLength ? static_cast<std::size_t>(length)
                                                                                : maximumMessageLength;
    return std::string(buffer.data(), kept);
}

} // namespace

void dvrLog::setTarget(dvrLogTarget* target) {
    std::lock_guard<std::mutex> guard(targetLock);
    activeTarget = target ? target : &standardErrorTarget;
}

void dvrLog::setVerbose(bool on) { verboseOn = on; }

bool dvrLog::isVerbose() { return verboseOn; }

void dvrLog::write(dvrLogSeverity severity, const std::string& text) {
    std::lock_guard<std::mutex> guard(targetLock);
    activeTarget->write(severity, text);
}

#define DVR_LOG_WITH(severity)                                                                                 \
    va_list arguments;                                                                                         \
    va_start(arguments, format);                                                                               \
    std::string text = ::format(format, arguments);                                                            \
    va_end(arguments);                                                                                         \
    dvrLog::write(severity, text);

void logError(const char* format, ...) { DVR_LOG_WITH(dvrLogSeverity::error) }
void logWarning(const char* format, ...) { DVR_LOG_WITH(dvrLogSeverity::warning) }
void logMessage(const char* format, ...) { DVR_LOG_WITH(dvrLogSeverity::message) }
void logVerbose(const char* format, ...) {
    if (!verboseOn)
        return;
    DVR_LOG_WITH(dvrLogSeverity::verbose)
}
