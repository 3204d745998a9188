#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

// Playback readers of the index. While one is counted, the inserter and the deleter keep away
// from the database; they go on as soon as the last reader leaves.
class dvrReaderCount {
public:
    void beginRead();
    // Never goes below 0.
    void endRead();
    bool active() const;
    int count() const;
    // Waits until no reader is counted or stop() says true (checked at least every 50 ms).
    void waitForNone(const std::function<bool()>& stop);

private:
    mutable std::mutex lock_;
    std::condition_variable gone_;
    int count_ = 0;
};
