#include "watchdog/dvrWatchdogEnvironment.h"

#include <condition_variable>
#include <csignal>
#include <mutex>
#include <unistd.h>

static_assert(std::chrono::steady_clock::is_steady, "the watchdog needs a monotonic clock");

std::chrono::milliseconds dvrWatchdogEnvironment::now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

bool dvrWatchdogEnvironment::wait(std::chrono::milliseconds duration, std::stop_token stop) {
    std::mutex lock;
    std::condition_variable_any wakeUp;
    std::unique_lock<std::mutex> guard(lock);
    // The stop token wakes the wait; the predicate only looks at the token.
    wakeUp.wait_for(guard, stop, duration, [] { return false; });
    return !stop.stop_requested();
}

void dvrWatchdogEnvironment::killOwnProcess() {
    ::kill(::getpid(), SIGKILL);
}
