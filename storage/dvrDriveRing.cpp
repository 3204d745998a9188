#include "dvrDriveRing.h"

dvrDriveRing::dvrDriveRing(std::vector<dvrDrive> drives, std::uint64_t pageSize)
    : drives_(std::move(drives)), pageSize_(pageSize) {
    for (const dvrDrive& drive : drives_)
        usable_.push_back(drive.pageFileCount > 0);
    std::uint32_t first = 0;
    if (!drives_.empty() && !usable_[0] && nextUsableDrive(0, first))
        position_.drive = first;
}

void dvrDriveRing::setPosition(dvrWritePosition position) {
    if (position.drive >= drives_.size())
        position.drive = 0;
    if (!drives_.empty() && position.page >= drives_[position.drive].pageFileCount) {
        position.page = 0;
        position.offset = 0;
    }
    position_ = position;
}

char dvrDriveRing::letterOf(const dvrWritePosition& position) const {
    return position.drive < drives_.size() ? drives_[position.drive].letter : '\0';
}

std::string dvrDriveRing::pagePathOf(const dvrWritePosition& position) const {
    if (position.drive >= drives_.size())
        return {};
    return dvrDriveTable::pageFilePath(drives_[position.drive], position.page);
}

bool dvrDriveRing::fits(std::uint64_t recordLength) const {
    return static_cast<std::uint64_t>(position_.offset) + recordLength <= recordEndLimit();
}

bool dvrDriveRing::nextUsableDrive(std::uint32_t from, std::uint32_t& drive) const {
    const std::uint32_t count = static_cast<std::uint32_t>(drives_.size());
    for (std::uint32_t step = 1; step <= count; ++step) {
        std::uint32_t candidate = (from + step) % count;
        if (usable_[candidate]) {
            drive = candidate;
            return true;
        }
    }
    return false;
}

bool dvrDriveRing::following(const dvrWritePosition& position, dvrWritePosition& next) const {
    if (drives_.empty())
        return false;
    next = position;
    next.offset = 0;
    if (usable_[position.drive] && position.page + 1 < drives_[position.drive].pageFileCount) {
        ++next.page;
        return true;
    }
    next.page = 0;
    return nextUsableDrive(position.drive, next.drive);
}

bool dvrDriveRing::nextPage() {
    dvrWritePosition next;
    if (!following(position_, next))
        return false;
    position_ = next;
    return true;
}

bool dvrDriveRing::nextDrive() {
    std::uint32_t drive = 0;
    if (drives_.empty() || !nextUsableDrive(position_.drive, drive) || drive == position_.drive)
        return false;
    position_ = dvrWritePosition{drive, 0, 0};
    return true;
}

void dvrDriveRing::setUsable(std::uint32_t drive, bool usable) {
    if (drive < usable_.size())
        usable_[drive] = usable && drives_[drive].pageFileCount > 0;
}

bool dvrDriveRing::isUsable(std::uint32_t drive) const { return drive < usable_.size() && usable_[drive]; }

bool dvrDriveRing::anyUsable() const {
    for (bool usable : usable_)
        if (usable)
            return true;
    return false;
}
