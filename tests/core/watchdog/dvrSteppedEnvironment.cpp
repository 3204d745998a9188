#include "dvrSteppedEnvironment.h"

std::chrono::milliseconds dvrSteppedEnvironment::now() {
    std::lock_guard<std::mutex> guard(lock_);
    return clock_;
}

bool dvrSteppedEnvironment::wait(std::chrono::milliseconds duration, std::stop_token stop) {
    std::unique_lock<std::mutex> guard(lock_);
    waits_.push_back(duration);
    std::size_t mine = waits_.size();
    changed_.notify_all();
    if (!changed_.wait(guard, stop, [&] { return granted_ >= mine; }))
        return false;
    clock_ += duration;
    return !stop.stop_requested();
}

void dvrSteppedEnvironment::killOwnProcess() {
    std::lock_guard<std::mutex> guard(lock_);
    ++kills_;
}

bool dvrSteppedEnvironment::awaitWaiting() {
    std::unique_lock<std::mutex> guard(lock_);
    return changed_.wait_for(guard, patience, [&] { return waits_.size() > granted_; });
}

bool dvrSteppedEnvironment::step() {
    std::unique_lock<std::mutex> guard(lock_);
    if (!changed_.wait_for(guard, patience, [&] { return waits_.size() > granted_; }))
        return false;
    ++granted_;
    changed_.notify_all();
    return changed_.wait_for(guard, patience, [&] { return waits_.size() > granted_; });
}

void dvrSteppedEnvironment::advance(std::chrono::milliseconds duration) {
    std::lock_guard<std::mutex> guard(lock_);
    clock_ += duration;
}

std::chrono::milliseconds dvrSteppedEnvironment::lastWait() const {
    std::lock_guard<std::mutex> guard(lock_);
    return waits_.empty() ? std::chrono::milliseconds(0) : waits_.back();
}

int dvrSteppedEnvironment::kills() const {
    std::lock_guard<std::mutex> guard(lock_);
    return kills_;
}
