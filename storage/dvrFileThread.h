#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <thread>

#include "dvrWritePosition.h"

class dvrDeleterThread;
class dvrDriveRing;
class dvrFrameQueue;
class dvrInserterThread;
class dvrPageWriter;
class dvrRecordingWatchdog;

// The writer: takes frames from the queue, appends each as a record to the current page file,
// queues its index row, moves to the next page file when a record does not fit, and runs the
// recording watchdog while the queue is empty. At stop it stores every frame still queued.
class dvrFileThread {
public:
    // Failed opens or writes in a row after which the writer tries the next drive.
    static constexpr int failuresBeforeMovingOn = 3;
    static constexpr int watchdogTimeOutSeconds = 200;

    struct Parts {
        dvrFrameQueue& queue;
        dvrDriveRing& ring;
        dvrPageWriter& pages;
        dvrInserterThread& inserter;
        dvrDeleterThread& deleter;
        dvrRecordingWatchdog& recordingWatchdog;
    };

    explicit dvrFileThread(Parts parts);
    ~dvrFileThread();
    dvrFileThread(const dvrFileThread&) = delete;
    dvrFileThread& operator=(const dvrFileThread&) = delete;

    void start();
    // Stores what is queued, then ends the thread.
    void stop();

    std::uint64_t storedFrames() const { return stored_.load(); }
    std::uint64_t lostFrames() const { return lost_.load(); }

private:
    void run();
    void store(const struct dvrFrameRecord& record, std::size_t size);
    // Makes the page of the ring's position writable: its old index rows are gone (committed)
    // before anything is written into it. The next page file is released ahead, near the end
    // of this one, so the writer seldom waits.
    void enterPage();
    void releaseAhead();
    bool nearPageEnd() const;
    void noteFailure(const char* what, int error);

    Parts parts_;
    std::uint8_t* buffer_ = nullptr;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    std::atomic<std::uint64_t> stored_{0};
    std::atomic<std::uint64_t> lost_{0};

    // Touched by the writer thread only.
    std::optional<dvrWritePosition> releasedAhead_;
    std::uint64_t releaseAheadRequest_ = 0;
    bool pageEntered_ = false;
    // The page file of the position is open in the page writer.
    bool pageOpen_ = false;
    int failuresInRow_ = 0;
    bool failing_ = false;
    bool nothingUsableReported_ = false;
};
