#include <gtest/gtest.h>

#include "dvrFrameQueue.h"
#include "dvrStorageTestSupport.h"
#include "log/dvrMemory.h"

namespace {

TEST(dvrFrameQueue, HoldsNinetyNineFramesAndAcceptsAgainAfterATake) {
    dvrFrameQueue queue;
    ASSERT_TRUE(queue.ready());
    dvrTestFrame frame = makeTestFrame(100, 1);
    for (int i = 0; i < 99; ++i)
        ASSERT_TRUE(queue.add(frame.record, frame.data.data(), frame.data.size()));
    EXPECT_FALSE(queue.add(frame.record, frame.data.data(), frame.data.size()));
    EXPECT_EQ(queue.count(), 99u);
    std::uint8_t* buffer = static_cast<std::uint8_t*>(mustAlloc("test", dvrFrameQueue::bufferSize));
    dvrFrameRecord record;
    std::size_t size = 0;
    ASSERT_TRUE(queue.take(record, buffer, size));
    EXPECT_TRUE(queue.add(frame.record, frame.data.data(), frame.data.size()));
    release("test", buffer);
}

TEST(dvrFrameQueue, DropsEmptyAndOversizedFramesButSaysTrue) {
    dvrFrameQueue queue;
    struct Case {
        std::size_t size;
        bool kept;
    } cases[] = {{0, false}, {1, true}, {262143, true}, {262144, false}, {300000, false}};
    for (const Case& c : cases) {
        dvrTestFrame frame = makeTestFrame(c.size, 1);
        std::size_t before = queue.count();
        EXPECT_TRUE(queue.add(frame.record, frame.data.data(), frame.data.size())) << c.size;
        EXPECT_EQ(queue.count(), before + (c.kept ? 1 : 0)) << c.size;
    }
    EXPECT_EQ(queue.droppedFrames(), 3u);
}

TEST(dvrFrameQueue, FramesOfSeveralCamerasLeaveInArrivalOrder) {
    dvrFrameQueue queue;
    std::uint8_t* buffer = static_cast<std::uint8_t*>(mustAlloc("test", dvrFrameQueue::bufferSize));
    // Going round the ring many times, swapping buffers, must never mix up data and headers;
    // every round starts one slot further on.
    dvrTestFrame first = makeTestFrame(10, 1);
    ASSERT_TRUE(queue.add(first.record, first.data.data(), first.data.size()));
    for (int round = 0; round < 3; ++round) {
        for (std::uint32_t i = 0; i < 98; ++i) {
            dvrTestFrame frame = makeTestFrame(50 + i, 1000 + i, 0, i % 4, i % 3);
            ASSERT_TRUE(queue.add(frame.record, frame.data.data(), frame.data.size()));
        }
        dvrFrameRecord record;
        std::size_t size = 0;
        ASSERT_TRUE(queue.take(record, buffer, size)); // the frame left from before
        for (std::uint32_t i = 0; i < 98; ++i) {
            ASSERT_TRUE(queue.take(record, buffer, size));
            dvrTestFrame expected = makeTestFrame(50 + i, 1000 + i, 0, i % 4, i % 3);
            EXPECT_EQ(record, expected.record);
            ASSERT_EQ(size, expected.data.size());
            EXPECT_TRUE(std::equal(expected.data.begin(), expected.data.end(), buffer));
            if (i == 97) {
                ASSERT_TRUE(queue.add(first.record, first.data.data(), first.data.size()));
            }
        }
    }
    dvrFrameRecord record;
    std::size_t size = 0;
    ASSERT_TRUE(queue.take(record, buffer, size));
    EXPECT_FALSE(queue.take(record, buffer, size));
    release("test", buffer);
}

} // namespace
