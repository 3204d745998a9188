#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "capture/dvrCompressionSlots.h"
#include "capture/dvrFrameRateMeter.h"

namespace {

TEST(dvrFrameRateMeter, MeasuresOverWindowsOfFiveSeconds) {
    dvrFrameRateMeter meter(0);
    int windowsEnded = 0;
    // 25 frames per second for 5 s: the window ends with the frame after 4994 ms.
    for (int frame = 1; frame <= 125; ++frame)
        windowsEnded += meter.count(frame * 40) ? 1 : 0;
    EXPECT_EQ(windowsEnded, 1);
    EXPECT_NEAR(meter.rate(), 25.0f, 0.01f);
    // A late window is divided by the time that really passed.
    for (int frame = 1; frame <= 50; ++frame)
        meter.count(5000 + frame * 200);
    EXPECT_NEAR(meter.rate(), 5.0f, 0.01f);
}

TEST(dvrCompressionSlots, NeverMoreHoldersThanTheLimit) {
    dvrCompressionSlots slots(2);
    std::atomic<int> holding{0};
    std::atomic<int> most{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t)
        threads.emplace_back([&] {
            for (int round = 0; round < 200; ++round) {
                dvrCompressionSlots::Hold hold(slots);
                int now = ++holding;
                int seen = most.load();
                while (now > seen && !most.compare_exchange_weak(seen, now)) {
                }
                std::this_thread::yield();
                --holding;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_LE(most.load(), 2);
    EXPECT_GE(most.load(), 1);
    EXPECT_EQ(slots.inUse(), 0);
    slots.setLimit(0);
    EXPECT_EQ(slots.limit(), 1);
}

} // namespace
