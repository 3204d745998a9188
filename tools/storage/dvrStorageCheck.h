#pragma once

#include <cstdint>
#include <ostream>
#include <string>

// "mirdal-storage check": every index row of a store is read against the record it points at.
// What a user runs after a power cut, and what tests use as their judge.
class dvrStorageCheck {
public:
    struct Result {
        bool opened = false;        // the description and the index could be read
        std::uint64_t rows = 0;     // rows checked
        std::uint64_t mismatches = 0;
    };
    // Rows named one by one in the report at most; the rest are only counted.
    static constexpr std::uint64_t maximumListed = 100;

    // Checks the store described by "mirdal.drv" in the settings directory; writes the rows that
    // do not match and a summary to out.
    static Result run(const std::string& settingsDirectory, std::ostream& out);
};
