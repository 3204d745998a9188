#include "dvrResolutionTable.h"

bool dvrResolutionTable::add(int width, int height) {
    if (width < 1 || width > maximumSide || height < 1 || height > maximumSide)
        return false;
    std::lock_guard<std::mutex> guard(lock_);
    if (static_cast<int>(sizes_.size()) >= maximumEntries)
        return false;
    sizes_.push_back({width, height});
    return true;
}

int dvrResolutionTable::count() const {
    std::lock_guard<std::mutex> guard(lock_);
    return static_cast<int>(sizes_.size());
}

std::optional<dvrResolutionTable::Size> dvrResolutionTable::at(int index) const {
    std::lock_guard<std::mutex> guard(lock_);
    if (index < 0 || index >= static_cast<int>(sizes_.size()))
        return std::nullopt;
    return sizes_[index];
}
