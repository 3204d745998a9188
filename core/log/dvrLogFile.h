#pragma once

#include <ctime>
#include <mutex>
#include <string>

#include "log/dvrLog.h"

// The append-only log file: one time-stamped line per message, written with one write call and
// so on its way to the disk before the next message (nothing is buffered in the process, so a
// crash or a watchdog kill loses no line).
class dvrLogFile : public dvrLogTarget {
public:
    static constexpr const char* fileName = "mirdal.log";

    dvrLogFile() = default;
    ~dvrLogFile() override;
    dvrLogFile(const dvrLogFile&) = delete;
    dvrLogFile& operator=(const dvrLogFile&) = delete;

    // Opens (creating) path for appending; false when it cannot be opened.
    bool open(const std::string& path);
    void close();
    bool isOpen() const;

    void write(dvrLogSeverity severity, const std::string& text) override;

    // The line for a message at the given local time, with its newline:
    // "2024-05-01 13:45:07: Error: text\n".
    static std::string composeLine(dvrLogSeverity severity, const std::string& text,
                                   const std::tm& localTime);

    // The program's log: opens "mirdal.log" in directory and makes it the active target. When it
    // cannot be opened, reports that once through the current (standard-error) output, which then
    // keeps every later message.
    static bool openProgramLog(const std::string& directory);
    // Restores the standard-error target and closes the program's log.
    static void closeProgramLog();

private:
    mutable std::mutex lock_;
    int descriptor_ = -1;
};
