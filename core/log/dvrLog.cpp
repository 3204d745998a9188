#include "log/dvrLog.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>

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

std::mutex targetLock;
dvrStandardErrorTarget standardErrorTarget;
dvrLogTarget* activeTarget = &standardErrorTarget;
std::atomic<bool> verboseOn{false};

// Length of text[0, length) without a UTF-8 sequence that the cut left incomplete.
std::size_t completeCharacters(const char* text, std::size_t length) {
    std::size_t start = length;
    while (start > 0 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80)
        --start;
    if (start == 0)
        return length;
    unsigned char lead = static_cast<unsigned char>(text[start - 1]);
    std::size_t needed = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return length - (start - 1) < needed ? start - 1 : length;
}

std::string format(const char* format, va_list arguments) {
    // One buffer per thread: formatting needs no lock and no allocation.
    thread_local char buffer[dvrLog::maximumMessageLength + 1];
    int length = std::vsnprintf(buffer, sizeof buffer, format, arguments);
    if (length < 0)
        return std::string();
    if (static_cast<std::size_t>(length) <= dvrLog::maximumMessageLength)
        return std::string(buffer, static_cast<std::size_t>(length));
    return std::string(buffer, completeCharacters(buffer, dvrLog::maximumMessageLength));
}

} // namespace

void dvrLog::setTarget(dvrLogTarget* target) {
    std::lock_guard<std::mutex> guard(targetLock);
    activeTarget = target ? target : &standardErrorTarget;
}

void dvrLog::setVerbose(bool on) {
    verboseOn = on;
}

bool dvrLog::isVerbose() {
    return verboseOn;
}

void dvrLog::write(dvrLogSeverity severity, const std::string& text) {
    std::lock_guard<std::mutex> guard(targetLock);
    activeTarget->write(severity, text);
}

#define DVR_LOG_WITH(severity)                                                                               \
    va_list arguments;                                                                                       \
    va_start(arguments, format);                                                                             \
    std::string text = ::format(format, arguments);                                                          \
    va_end(arguments);                                                                                       \
    dvrLog::write(severity, text);

void logError(const char* format, ...) {
    DVR_LOG_WITH(dvrLogSeverity::error)
}
void logWarning(const char* format, ...) {
    DVR_LOG_WITH(dvrLogSeverity::warning)
}
void logMessage(const char* format, ...) {
    DVR_LOG_WITH(dvrLogSeverity::message)
}
void logVerbose(const char* format, ...) {
    if (!verboseOn.load(std::memory_order_relaxed))
        return;
    DVR_LOG_WITH(dvrLogSeverity::verbose)
}
