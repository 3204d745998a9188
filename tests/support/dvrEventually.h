#pragma once

#include <chrono>
#include <thread>

// Waits until the condition holds, looking every 10 ms for at most a minute (bounded, yet far
// beyond what a slow machine needs); the condition's last answer.
template <typename Condition> bool eventually(Condition condition) {
    for (int step = 0; step < 6000; ++step) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}
