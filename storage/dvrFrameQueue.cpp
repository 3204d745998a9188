#include "dvrFrameQueue.h"

#include <cstring>
#include <utility>

#include "log/dvrMemory.h"

dvrFrameQueue::dvrFrameQueue() {
    ready_ = true;
    for (Slot& slot : slots_) {
        slot.data = static_cast<std::uint8_t*>(mustAlloc("DVR_MAX_COMPRESSED_SIZE", bufferSize));
        if (slot.data == nullptr)
            ready_ = false;
    }
}

dvrFrameQueue::~dvrFrameQueue() {
    for (Slot& slot : slots_)
        release("DVR_MAX_COMPRESSED_SIZE", slot.data);
}

bool dvrFrameQueue::add(const dvrFrameRecord& record, const std::uint8_t* data, std::size_t size) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (count_ >= capacity)
            return false;
        if (size == 0 || size >= bufferSize || data == nullptr || !ready_) {
            ++dropped_;
            return true;
        }
        Slot& slot = slots_[(first_ + count_) % slotCount];
        std::memcpy(slot.data, data, size);
        slot.record = record;
        slot.size = size;
        ++count_;
    }
    arrived_.notify_one();
    return true;
}

bool dvrFrameQueue::take(dvrFrameRecord& record, std::uint8_t*& data, std::size_t& size) {
    std::lock_guard<std::mutex> guard(lock_);
    if (count_ == 0 || data == nullptr)
        return false;
    Slot& oldest = slots_[first_];
    record = oldest.record;
    size = oldest.size;
    std::swap(data, oldest.data);
    oldest.size = 0;
    first_ = (first_ + 1) % slotCount;
    --count_;
    return true;
}

void dvrFrameQueue::waitForFrame(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> guard(lock_);
    arrived_.wait_for(guard, timeout, [this] { return count_ > 0 || woken_; });
    woken_ = false;
}

void dvrFrameQueue::wake() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        woken_ = true;
    }
    arrived_.notify_all();
}

std::size_t dvrFrameQueue::count() const {
    std::lock_guard<std::mutex> guard(lock_);
    return count_;
}

std::uint64_t dvrFrameQueue::droppedFrames() const {
    std::lock_guard<std::mutex> guard(lock_);
    return dropped_;
}
