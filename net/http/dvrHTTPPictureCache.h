#pragma once

#include <chrono>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "picture/dvrCameraFrame.h"

// The encoded pictures of one camera, one slot per kind of picture (type, size, quality). A slot
// is encoded at most once per camera frame; requests for the same frame share its bytes. The
// number of slots is bounded; the least recently used one is dropped first.
class dvrHTTPPictureCache {
public:
    using Bytes = std::shared_ptr<const std::vector<std::uint8_t>>;

    struct Key {
        bool png = false;
        int width = 0;
        int height = 0;
        int quality = 0;
        auto operator<=>(const Key&) const = default;
    };

    // One kind of picture. Hold encodeLock while looking at or replacing the rest.
    struct Slot {
        std::mutex encodeLock;
        dvrCameraFrame::Identity identity;
        std::chrono::steady_clock::time_point madeAt{};
        Bytes bytes;
    };

    static constexpr std::size_t maximumSlots = 16;
    // Pictures above this size are not kept once their requests are answered.
    static constexpr std::size_t maximumKeptBytes = 4u << 20;
    // A frame that does not change is still taken again after this time, so a camera whose
    // counter stands still (or whose new image reuses the old one's place) never shows an old
    // picture for longer.
    static constexpr std::chrono::milliseconds unchangedFrameLifetime{1000};

    std::shared_ptr<Slot> slot(const Key& key);
    // Whether the slot's bytes show the frame with that identity (encodeLock held).
    static bool holds(const Slot& slot, const dvrCameraFrame::Identity& identity);
    // Stores new bytes in the slot (encodeLock held).
    static void store(Slot& slot, const dvrCameraFrame::Identity& identity, Bytes bytes);

private:
    struct Use {
        std::shared_ptr<Slot> slot;
        std::uint64_t lastUse = 0;
    };

    std::mutex lock_;
    std::map<Key, Use> slots_;
    std::uint64_t uses_ = 0;
};
