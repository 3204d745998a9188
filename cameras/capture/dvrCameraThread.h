#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

#include "capture/dvrFrameRecord.h"
#include "capture/dvrRecordingDecision.h"

class dvrCamera;
class dvrImage;

// The capture loop of one started camera: grab, detect motion, decide, compress, hand the frame
// to the recording storage, keep the frame rate. No camera lock is held while the thread waits
// for a picture, retries a full storage queue or sleeps.
class dvrCameraThread {
public:
    // How long one wait for a picture may take, so that a stop is never delayed by a device.
    static constexpr int frameWaitMilliseconds = 200;
    static constexpr int watchdogTimeoutSeconds = 200;
    static constexpr int storeAttempts = 100;
    static constexpr std::chrono::milliseconds storeRetryPause{5};
    // Motion that starts is logged at most this often per camera.
    static constexpr std::int64_t motionLogMilliseconds = 10000;

    explicit dvrCameraThread(dvrCamera& camera);
    // Stops the thread.
    ~dvrCameraThread();
    dvrCameraThread(const dvrCameraThread&) = delete;
    dvrCameraThread& operator=(const dvrCameraThread&) = delete;

    void start();
    // Asks the thread to end, wakes it and waits for it.
    void stop();
    bool isRunning() const { return running_; }
    // Set while the camera reinitialises and the thread waits without touching its buffers.
    bool isIdle() const { return idle_; }
    // Frames given up after the storage queue stayed full.
    std::int64_t framesDropped() const { return framesDropped_; }

private:
    // frameDone: a frame was processed; noFrame: nothing to grab, pause briefly; skipped: the
    // pass already waited; end: the camera has no buffers or the thread is asked to stop.
    enum class PassResult { frameDone, noFrame, skipped, end };

    struct PassState {
        bool remote = false;
        bool record = false;
        bool motionTriggered = false;
        bool handOff = false;    // the frame is one the camera records
        bool retryStore = false; // the storage queue was full: pendingRecord_/pendingData_ wait
        int stored = 0;
        int compressedSize = 0;
        int width = 0;
        int height = 0;
        std::int64_t grabbedAt = 0; // milliseconds, monotonic
    };

    void run(std::stop_token stop);
    PassResult pass(std::stop_token& stop, PassState& state);
    // Steps done with the camera's codec and image locks held.
    PassResult lockedPass(std::stop_token& stop, PassState& state);
    void compressAndHandOver(PassState& state, dvrImage& image);
    bool retryHandOver();
    // Steps done after the locks are released.
    void finishPass(PassState& state);
    // False when asked to stop.
    bool pause(std::stop_token& stop, std::chrono::milliseconds duration);
    dvrRecordingDecision::Settings decisionSettings() const;

    dvrCamera& camera_;
    std::jthread thread_;
    std::mutex wakeLock_;
    std::condition_variable_any wake_;
    std::atomic<bool> running_{false};
    std::atomic<bool> idle_{false};
    std::atomic<std::int64_t> framesDropped_{0};

    // Owned by the thread.
    bool streaming_ = false;
    bool dropEpisode_ = false;
    bool firstFrameLogged_ = false;
    std::int64_t lastMotionLog_ = 0; // milliseconds, monotonic
    std::uint64_t frameNumber_ = 0;
    dvrRecordingDecision decision_;
    dvrFrameRecord pendingRecord_;
    std::vector<std::uint8_t> pendingData_;
};
