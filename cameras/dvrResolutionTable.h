#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

// The picture sizes a camera kind offers, in the order of the "resolution" choices; the
// resolution index is the position in this table.
class dvrResolutionTable {
public:
    static constexpr int maximumEntries = 16;
    static constexpr int maximumSide = 8192;

    struct Size {
        int width = 0;
        int height = 0;
    };

    // Fails when the table is full or a side is not in 1..maximumSide.
    bool add(int width, int height);
    int count() const;
    // The entry at index; none when the index is outside the table.
    std::optional<Size> at(int index) const;

private:
    mutable std::mutex lock_;
    std::vector<Size> sizes_;
};
