#pragma once

#include <string>

// The file through which the recorder and the external watchdog program (mirdal-watchdog) talk.
// The program puts a marker into it; the running recorder empties it every cycle; an orderly
// shut-down leaves "die" in it, which tells the program not to restart anything.
class dvrPollFile {
public:
    static constexpr const char* fileName = "__poll";
    static constexpr const char* dieText = "die";
    // Written by the program; anything that does not begin with "die" would do.
    static constexpr const char* markerText = "poll\n";
    // Never read more than this; a bigger file is simply "not emptied".
    static constexpr std::size_t maximumReadLength = 64;

    enum class State { missing, empty, die, notEmptied };

    explicit dvrPollFile(std::string path);

    const std::string& path() const { return path_; }

    // Truncates the file (creating it when missing).
    bool empty() const;
    // Replaces the contents with "die".
    bool writeDie() const;
    // Appends the marker. Appending, never truncating, keeps a "die" the recorder writes at the
    // same moment at the start of the file.
    bool appendMarker() const;
    // "die" counts when the file begins with it: the program may have appended a marker after it.
    State state() const;

private:
    bool write(const char* text, bool truncate) const;

    std::string path_;
};
