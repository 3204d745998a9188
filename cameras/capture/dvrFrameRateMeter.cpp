#include "capture/dvrFrameRateMeter.h"

bool dvrFrameRateMeter::count(std::int64_t nowMilliseconds) {
    ++frames_;
    std::int64_t elapsed = nowMilliseconds - windowStart_;
    if (elapsed <= windowMilliseconds)
        return false;
    // Divided by the time that really passed: a late pass must not inflate the figure.
    rate_ = static_cast<float>(frames_) * 1000.0f / static_cast<float>(elapsed);
    frames_ = 0;
    windowStart_ = nowMilliseconds;
    return true;
}
