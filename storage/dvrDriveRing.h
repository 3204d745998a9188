#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dvrDriveTable.h"
#include "dvrWritePosition.h"

// The page files of all drives as one ring: the write position moves record by record through a
// page file, then to the next page file, then to page 0 of the next drive, and from the last
// drive back to the first. Drives that cannot be used (no page files, root missing, refused
// writes) are passed over.
class dvrDriveRing {
public:
    static constexpr std::uint64_t pageFileSize = 533725184; // 509 MiB
    // A record never ends within this many bytes of the page file size.
    static constexpr std::uint32_t pageReserve = 16384;

    // pageSize is pageFileSize except in tests.
    dvrDriveRing(std::vector<dvrDrive> drives, std::uint64_t pageSize = pageFileSize);

    const std::vector<dvrDrive>& drives() const { return drives_; }
    const dvrWritePosition& position() const { return position_; }
    // Takes a stored position; a drive beyond the table becomes drive 0, a page beyond the
    // drive's count page 0 (offset 0).
    void setPosition(dvrWritePosition position);
    char letter() const { return letterOf(position_); }
    char letterOf(const dvrWritePosition& position) const;
    std::string pagePath() const { return pagePathOf(position_); }
    std::string pagePathOf(const dvrWritePosition& position) const;
    // The last byte a record may end at.
    std::uint64_t recordEndLimit() const { return pageSize_ - pageReserve; }

    // Whether a record of this length fits at the current offset.
    bool fits(std::uint64_t recordLength) const;
    void advance(std::uint32_t recordLength) { position_.offset += recordLength; }
    // The start of the page file after `position`; false when no drive is usable.
    bool following(const dvrWritePosition& position, dvrWritePosition& next) const;
    // Moves to the start of the next page file; false when no drive is usable.
    bool nextPage();
    // Moves to page 0 of the next usable drive (a drive that refuses writes); false when there
    // is none other.
    bool nextDrive();
    void setUsable(std::uint32_t drive, bool usable);
    bool isUsable(std::uint32_t drive) const;
    bool anyUsable() const;

private:
    bool nextUsableDrive(std::uint32_t from, std::uint32_t& drive) const;

    std::vector<dvrDrive> drives_;
    std::vector<bool> usable_;
    std::uint64_t pageSize_;
    dvrWritePosition position_;
};
