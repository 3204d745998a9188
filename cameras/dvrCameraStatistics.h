#pragma once

#include <atomic>
#include <cstdint>

// What the camera panel shows about a camera's capture: written by the capture thread, read by
// the GUI and network threads. Each figure is one atomic value.
class dvrCameraStatistics {
public:
    float measuredFramerate() const { return measuredFramerate_.load(); }
    std::int64_t framesGrabbed() const { return framesGrabbed_.load(); }
    std::int64_t framesRecorded() const { return framesRecorded_.load(); }
    int lastCompressedSize() const { return lastCompressedSize_.load(); }
    int averageCompressedSize() const { return averageCompressedSize_.load(); }
    int lastMotion() const { return lastMotion_.load(); }
    // Recorded frames as a whole percentage of the grabbed ones; 0 before the first grab.
    int recordedPercent() const;

    void setMeasuredFramerate(float framesPerSecond);
    void countGrabbed() { ++framesGrabbed_; }
    void countRecorded() { ++framesRecorded_; }
    // The average moves a twentieth of the way towards each new size.
    void addCompressedSize(int bytes);
    void setLastMotion(int amount) { lastMotion_ = amount; }
    void clear();

private:
    std::atomic<float> measuredFramerate_{0};
    std::atomic<std::int64_t> framesGrabbed_{0};
    std::atomic<std::int64_t> framesRecorded_{0};
    std::atomic<int> lastCompressedSize_{0};
    std::atomic<int> averageCompressedSize_{0};
    std::atomic<int> lastMotion_{0};
};
