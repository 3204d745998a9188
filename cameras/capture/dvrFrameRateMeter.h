#pragma once

#include <cstdint>

// Frames per second of a capture thread, measured over windows of about five seconds.
class dvrFrameRateMeter {
public:
    static constexpr std::int64_t windowMilliseconds = 4994;

    explicit dvrFrameRateMeter(std::int64_t nowMilliseconds) : windowStart_(nowMilliseconds) {}

    // Counts a frame; true when a window ended and rate() holds a new figure.
    bool count(std::int64_t nowMilliseconds);
    float rate() const { return rate_; }

private:
    std::int64_t windowStart_;
    int frames_ = 0;
    float rate_ = 0;
};
