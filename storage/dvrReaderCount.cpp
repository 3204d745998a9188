#include "dvrReaderCount.h"

void dvrReaderCount::beginRead() {
    std::lock_guard<std::mutex> guard(lock_);
    ++count_;
}

void dvrReaderCount::endRead() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (count_ > 0)
            --count_;
        if (count_ > 0)
            return;
    }
    gone_.notify_all();
}

bool dvrReaderCount::active() const {
    std::lock_guard<std::mutex> guard(lock_);
    return count_ > 0;
}

int dvrReaderCount::count() const {
    std::lock_guard<std::mutex> guard(lock_);
    return count_;
}

void dvrReaderCount::waitForNone(const std::function<bool()>& stop) {
    std::unique_lock<std::mutex> guard(lock_);
    while (count_ > 0 && !(stop && stop()))
        gone_.wait_for(guard, std::chrono::milliseconds(50));
}
