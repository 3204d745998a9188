#include <gtest/gtest.h>

#include <vector>

#include "xecap/dvrXecapSlotScheduler.h"

namespace {

constexpr int empty = dvrXecapSlotScheduler::emptySlot;

// 1-based slot numbers that hold the camera.
std::vector<int> slotsOf(const std::vector<int>& slots, int camera) {
    std::vector<int> numbers;
    for (std::size_t slot = 0; slot < slots.size(); ++slot)
        if (slots[slot] == camera)
            numbers.push_back(static_cast<int>(slot) + 1);
    return numbers;
}

TEST(dvrXecapSlotSchedulerTest, SetupDerivesSlotsAndCameras) {
    struct Case {
        int frames, cameras, slots, camerasKept;
    } cases[] = {{25, 4, 25, 4}, {30, 4, 30, 4}, {31, 33, 1, 1},
                 {62, 66, 1, 1}, {0, 0, 1, 1},   {40, 40, 9, 7}};
    for (const Case& c : cases) {
        dvrXecapSlotScheduler scheduler;
        scheduler.setup(c.frames, c.cameras);
        EXPECT_EQ(scheduler.slotCount(), c.slots) << c.frames;
        EXPECT_EQ(scheduler.cameraCount(), c.camerasKept) << c.cameras;
    }
}

TEST(dvrXecapSlotSchedulerTest, SpreadsTheFastestCameraFirstOverTheFreeSlots) {
    dvrXecapSlotScheduler scheduler;
    scheduler.setup(25, 4);
    // Camera 1 asks 5, camera 2 asks 10: the faster one is placed first.
    std::vector<int> slots = scheduler.schedule({0, 5, 10, 0});
    ASSERT_EQ(slots.size(), 25u);
    EXPECT_EQ(slotsOf(slots, 2), (std::vector<int>{3, 5, 8, 10, 13, 15, 18, 20, 23, 25}));
    // The slower camera shares the 15 that are left: every third of them.
    EXPECT_EQ(slotsOf(slots, 1), (std::vector<int>{4, 9, 14, 19, 24}));
    EXPECT_EQ(slotsOf(slots, empty).size(), 10u);
}

TEST(dvrXecapSlotSchedulerTest, EqualRatesGoInCameraOrderAndAFullGroupLeavesNoGap) {
    dvrXecapSlotScheduler scheduler;
    scheduler.setup(30, 4);
    std::vector<int> slots = scheduler.schedule({15, 15});
    EXPECT_EQ(slotsOf(slots, 0), (std::vector<int>{2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30}));
    EXPECT_EQ(slotsOf(slots, 1).size(), 15u);
    EXPECT_TRUE(slotsOf(slots, empty).empty());
}

TEST(dvrXecapSlotSchedulerTest, EdgeCases) {
    dvrXecapSlotScheduler scheduler;
    scheduler.setup(25, 4);
    // A request above the slot count gives every slot to camera 0.
    EXPECT_EQ(scheduler.schedule({1, 26}), std::vector<int>(25, 0));
    // Nothing asked: every slot empty; entries beyond the group's cameras are ignored.
    EXPECT_EQ(scheduler.schedule({}), std::vector<int>(25, empty));
    EXPECT_EQ(scheduler.schedule({0, 0, 0, 0, 7}), std::vector<int>(25, empty));
    // More asked than there is: the later camera gets only what is left, never a taken slot.
    std::vector<int> slots = scheduler.schedule({20, 20});
    EXPECT_EQ(slotsOf(slots, 0).size(), 20u);
    EXPECT_EQ(slotsOf(slots, 1).size(), 5u);
}

} // namespace
