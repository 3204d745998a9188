#pragma once

#include <string>

// The process-wide message routine with four severities. Messages are formatted here and handed
// to the active log target; the file writer and the GUI plug in their own targets.
enum class dvrLogSeverity { error, warning, message, verbose };

class dvrLogTarget {
public:
    virtual ~dvrLogTarget() = default;
    virtual void write(dvrLogSeverity severity, const std::string& text) = 0;
};

class dvrLog {
public:
    // Installs a target (nullptr restores the standard-error target). The caller keeps ownership
    // and must keep the target alive until it is replaced.
    static void setTarget(dvrLogTarget* target);
    static void setVerbose(bool on);
    static bool isVerbose();
    static void write(dvrLogSeverity severity, const std::string& text);
};

void logError(const char* format, ...) __attribute__((format(printf, 1, 2)));
void logWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));
void logMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
void logVerbose(const char* format, ...) __attribute__((format(printf, 1, 2)));
