#pragma once

#include <string>

// Finds the language a configuration script asks for, before anything else of the script runs
// (the language must be chosen before the log is opened). The writer puts the "set locale" line
// at the end, so only the second half of the file is read.
class dvrLocaleReader {
public:
    // Longest piece of a line looked at; the rest of a longer line is read as the next piece.
    static constexpr std::size_t maximumLineLength = 254;

    // The third word of the last line in the second half of the file that begins with
    // "set locale"; "" when there is none or the file cannot be read.
    static std::string languageName(const std::string& path);
};
