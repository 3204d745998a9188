#include "dvrCameraStatistics.h"

#include <cmath>

int dvrCameraStatistics::recordedPercent() const {
    std::int64_t grabbed = framesGrabbed_.load();
    if (grabbed <= 0)
        return 0;
    return static_cast<int>(framesRecorded_.load() * 100 / grabbed);
}

void dvrCameraStatistics::setMeasuredFramerate(float framesPerSecond) {
    measuredFramerate_ = std::isfinite(framesPerSecond) && framesPerSecond > 0 ? framesPerSecond : 0.0f;
}

void dvrCameraStatistics::addCompressedSize(int bytes) {
    if (bytes < 0)
        bytes = 0;
    lastCompressedSize_ = bytes;
    // 64-bit arithmetic: 19 times a large average must not overflow.
    std::int64_t average = averageCompressedSize_.load();
    averageCompressedSize_ = static_cast<int>((bytes + 19 * average) / 20);
}

void dvrCameraStatistics::clear() {
    measuredFramerate_ = 0;
    framesGrabbed_ = 0;
    framesRecorded_ = 0;
    lastCompressedSize_ = 0;
    averageCompressedSize_ = 0;
    lastMotion_ = 0;
}
