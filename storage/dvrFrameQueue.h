#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "capture/dvrFrameRecord.h"

// Frames waiting for the writer. Capture threads copy one frame in under a short lock and never
// wait for a disk; the writer takes the oldest. The data buffers are allocated once and only
// change hands: the slots form a ring, and taking a frame swaps the writer's buffer with the
// slot's, so neither the queue nor the frame data is copied.
class dvrFrameQueue {
public:
    static constexpr std::size_t slotCount = 100;
    static constexpr std::size_t capacity = slotCount - 1;
    // Size of every data buffer ("DVR_MAX_COMPRESSED_SIZE"); frames must be shorter.
    static constexpr std::size_t bufferSize = 262144;

    // Allocates the buffers; ready() is false when memory was short.
    dvrFrameQueue();
    ~dvrFrameQueue();
    dvrFrameQueue(const dvrFrameQueue&) = delete;
    dvrFrameQueue& operator=(const dvrFrameQueue&) = delete;

    bool ready() const { return ready_; }

    // False when the queue is full (the caller may try again). A frame without data or with
    // bufferSize bytes or more is dropped, and true is returned.
    bool add(const dvrFrameRecord& record, const std::uint8_t* data, std::size_t size);
    // Hands the oldest frame to the caller: its record, and its data buffer in exchange for the
    // caller's (a buffer of bufferSize bytes from mustAlloc). False when the queue is empty.
    bool take(dvrFrameRecord& record, std::uint8_t*& data, std::size_t& size);
    // Waits until a frame is queued, wake() is called or the time is up.
    void waitForFrame(std::chrono::milliseconds timeout);
    void wake();
    std::size_t count() const;
    // Frames dropped because they were empty or too large.
    std::uint64_t droppedFrames() const;

private:
    struct Slot {
        dvrFrameRecord record;
        std::size_t size = 0;
        std::uint8_t* data = nullptr;
    };

    mutable std::mutex lock_;
    std::condition_variable arrived_;
    std::array<Slot, slotCount> slots_{};
    std::size_t first_ = 0; // the oldest frame's slot
    std::size_t count_ = 0;
    std::uint64_t dropped_ = 0;
    bool woken_ = false;
    bool ready_ = false;
};
