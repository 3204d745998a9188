#pragma once

#include <string>

// The process-wide message routine with four severities. Messages are formatted here and handed
// to the active log target; the log file (dvrLogFile), tests and the GUI plug in their own.
// Until a target is installed, and whenever the log file cannot be opened, messages go to
// standard error.
enum class dvrLogSeverity { error, warning, message, verbose };

class dvrLogTarget {
public:
    virtual ~dvrLogTarget() = default;
    // Called with the routine's lock held: one call at a time, so lines never interleave.
    virtual void write(dvrLogSeverity severity, const std::string& text) = 0;
};

class dvrLog {
public:
    // Longest message kept; a longer one is cut (at a character boundary), never split.
    static constexpr std::size_t maximumMessageLength = 4095;

    // Installs a target (nullptr restores the standard-error target). The caller keeps ownership
    // and must keep the target alive until it is replaced.
    static void setTarget(dvrLogTarget* target);
    static void setVerbose(bool on);
    static bool isVerbose();
    static void write(dvrLogSeverity severity, const std::string& text);
};

// Formats are literals of the program or formats from dvrCatalogueFormat::lookUp; data (paths,
// names, values) always goes in as an argument.
void logError(const char* format, ...) __attribute__((format(printf, 1, 2)));
void logWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));
void logMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Returns before formatting anything while verbose logging is off.
void logVerbose(const char* format, ...) __attribute__((format(printf, 1, 2)));
