#pragma once

#include <string>

// The log of mirdal-watchdog: one line per event, with the local time, appended to a file in the
// recorder's working directory. It keeps itself small: a file past the limit is renamed to
// "<name>.old" (replacing an older one) before the next line.
class dvrRestartLog {
public:
    static constexpr const char* defaultFileName = "mirdal-watchdog.log";
    static constexpr long maximumFileSize = 1024 * 1024;

    explicit dvrRestartLog(std::string path);

    const std::string& path() const { return path_; }
    // Writes the text (made a single line) as one line; false when the file cannot be written.
    bool write(const std::string& text) const;

private:
    std::string path_;
};
