#include "capture/dvrCompressionSlots.h"

#include <algorithm>
#include <thread>

dvrCompressionSlots& dvrCompressionSlots::process() {
    static dvrCompressionSlots slots(static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    return slots;
}

dvrCompressionSlots::dvrCompressionSlots(int slots) : limit_(std::max(1, slots)) {}

void dvrCompressionSlots::acquire() {
    std::unique_lock<std::mutex> guard(lock_);
    freed_.wait(guard, [this] { return inUse_ < limit_; });
    ++inUse_;
}

void dvrCompressionSlots::release() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (inUse_ > 0)
            --inUse_;
    }
    freed_.notify_one();
}

void dvrCompressionSlots::setLimit(int slots) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        limit_ = std::max(1, slots);
    }
    freed_.notify_all();
}

int dvrCompressionSlots::limit() const {
    std::lock_guard<std::mutex> guard(lock_);
    return limit_;
}

int dvrCompressionSlots::inUse() const {
    std::lock_guard<std::mutex> guard(lock_);
    return inUse_;
}
