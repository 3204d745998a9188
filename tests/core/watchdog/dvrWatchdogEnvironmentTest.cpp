#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "watchdog/dvrWatchdogEnvironment.h"

namespace {

using namespace std::chrono_literals;

TEST(dvrWatchdogEnvironmentTest, AStopRequestEndsAWaitAtOnce) {
    dvrWatchdogEnvironment environment;
    bool result = true;
    // Without the wake-up this wait would outlast the test run.
    std::jthread waiter([&](std::stop_token stop) { result = environment.wait(24h, stop); });
    waiter.request_stop();
    waiter.join();
    EXPECT_FALSE(result);
}

TEST(dvrWatchdogEnvironmentTest, AWaitThatIsNotStoppedRunsOutAndTimeGoesOn) {
    dvrWatchdogEnvironment environment;
    std::stop_source source;
    auto before = environment.now();
    EXPECT_TRUE(environment.wait(2ms, source.get_token()));
    EXPECT_GE(environment.now() - before, 2ms);
}

} // namespace
