#pragma once

#include <cstdint>
#include <string>

// One row of the Datum table: a stored frame, when and by which camera it was taken and where
// its record starts. The key is assigned by the database and only read.
struct dvrIndexRow {
    std::int64_t key = 0;
    std::int64_t time = 0;
    std::int32_t milliseconds = 0;
    std::uint32_t bytes = 0;
    std::uint32_t flags = 0;
    std::int32_t conditions = 0;
    std::string codec;
    std::int32_t device = 0;
    std::int32_t input = 0;
    std::string partition;
    std::int64_t page = 0;
    std::int64_t offset = 0;

    bool operator==(const dvrIndexRow&) const = default;
};
