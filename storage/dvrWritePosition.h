#pragma once

#include <cstdint>

// Where the next record goes: a drive of the drive table, a page file on it, a byte offset.
struct dvrWritePosition {
    std::uint32_t drive = 0;
    std::uint32_t page = 0;
    std::uint32_t offset = 0;

    bool operator==(const dvrWritePosition&) const = default;
};
