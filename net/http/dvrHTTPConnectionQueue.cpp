#include "dvrHTTPConnectionQueue.h"

bool dvrHTTPConnectionQueue::push(Request request) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (stopped_)
            return false;
        requests_.push_back(std::move(request));
    }
    ready_.notify_one();
    return true;
}

std::optional<dvrHTTPConnectionQueue::Request> dvrHTTPConnectionQueue::pop() {
    std::unique_lock<std::mutex> guard(lock_);
    ready_.wait(guard, [this] { return stopped_ || !requests_.empty(); });
    if (stopped_)
        return std::nullopt;
    Request request = std::move(requests_.front());
    requests_.pop_front();
    return request;
}

void dvrHTTPConnectionQueue::stop() {
    std::deque<Request> dropped;
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopped_ = true;
        dropped.swap(requests_);
    }
    ready_.notify_all();
}
