#pragma once

#include <chrono>
#include <stop_token>

// What the software watchdog needs from the world outside its module table: a clock, a way to
// wait that a stop request cuts short, and a way to end the own process. Tests replace it, so
// the watchdog can be driven through days of time without waiting and without dying.
class dvrWatchdogEnvironment {
public:
    virtual ~dvrWatchdogEnvironment() = default;

    // Monotonic time since an arbitrary start. A step of the wall clock (time synchronisation,
    // an operator setting the date) must never look like a silent module.
    virtual std::chrono::milliseconds now();
    // Waits for the duration, or less when a stop is requested. Returns false when stopped.
    virtual bool wait(std::chrono::milliseconds duration, std::stop_token stop);
    // Ends the own process at once with SIGKILL, so the external program restarts it.
    virtual void killOwnProcess();
};
