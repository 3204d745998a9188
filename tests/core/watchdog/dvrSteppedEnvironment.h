#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <stop_token>
#include <vector>

#include "watchdog/dvrWatchdogEnvironment.h"

// Time stands still until the test lets the watchdog's current wait pass; the clock then moves
// on by the waited duration. So the test decides exactly which cycles run, and when, in days of
// watchdog time and no real time. Killing the process only counts.
class dvrSteppedEnvironment : public dvrWatchdogEnvironment {
public:
    std::chrono::milliseconds now() override;
    bool wait(std::chrono::milliseconds duration, std::stop_token stop) override;
    void killOwnProcess() override;

    // Waits until the watchdog thread sits in a wait the test has not let pass yet.
    bool awaitWaiting();
    // Lets the current wait pass and waits until the thread sits in its next one.
    bool step();
    // Moves the clock without letting the thread run.
    void advance(std::chrono::milliseconds duration);

    std::chrono::milliseconds lastWait() const;
    int kills() const;

private:
    // Bounds every wait of the test on the thread, so a broken watchdog fails instead of hanging.
    static constexpr std::chrono::seconds patience{60};

    mutable std::mutex lock_;
    std::condition_variable_any changed_;
    std::chrono::milliseconds clock_{1000000};
    std::vector<std::chrono::milliseconds> waits_;
    std::size_t granted_ = 0;
    int kills_ = 0;
};
