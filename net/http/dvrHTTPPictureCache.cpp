#include "dvrHTTPPictureCache.h"

#include <algorithm>

std::shared_ptr<dvrHTTPPictureCache::Slot> dvrHTTPPictureCache::slot(const Key& key) {
    std::lock_guard<std::mutex> guard(lock_);
    Use& use = slots_[key];
    if (!use.slot)
        use.slot = std::make_shared<Slot>();
    use.lastUse = ++uses_;
    std::shared_ptr<Slot> found = use.slot;
    if (slots_.size() > maximumSlots) {
        auto oldest = std::min_element(slots_.begin(), slots_.end(),
                                       [](const auto& a, const auto& b) { return a.second.lastUse < b.second.lastUse; });
        slots_.erase(oldest);
    }
    return found;
}

bool dvrHTTPPictureCache::holds(const Slot& slot, const dvrCameraFrame::Identity& identity) {
    return slot.bytes && slot.identity == identity &&
           std::chrono::steady_clock::now() - slot.madeAt < unchangedFrameLifetime;
}

void dvrHTTPPictureCache::store(Slot& slot, const dvrCameraFrame::Identity& identity, Bytes bytes) {
    slot.identity = identity;
    slot.madeAt = std::chrono::steady_clock::now();
    slot.bytes = bytes && bytes->size() <= maximumKeptBytes ? std::move(bytes) : nullptr;
}
