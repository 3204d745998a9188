#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "dvrCapturedLog.h"
#include "log/dvrMemory.h"

// The impossible allocation below must fail as it does in production, not stop a sanitizer build.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}
extern "C" const char* __tsan_default_options() {
    return "allocator_may_return_null=1";
}

namespace {

class dvrMemoryTest : public ::testing::Test {
protected:
    void TearDown() override {
        dvrMemory::setRetryPolicy(dvrMemory::defaultAttempts, dvrMemory::defaultPause);
    }
    dvrCapturedLog log;
};

TEST_F(dvrMemoryTest, ZeroBytesAreRefusedWithTheTag) {
    EXPECT_EQ(mustAlloc("w*h*4", 0), nullptr);
    EXPECT_EQ(log.messages(),
              std::vector<std::string>{"[MUSTMALLOC] Trying to allocate 0 bytes! No way! [w*h*4]"});
}

TEST_F(dvrMemoryTest, MemoryIsUsableAndReleased) {
    auto* memory = static_cast<unsigned char*>(mustAlloc("256*256*4", 256 * 256 * 4));
    ASSERT_NE(memory, nullptr);
    std::memset(memory, 0xAB, 256 * 256 * 4);
    EXPECT_EQ(memory[256 * 256 * 4 - 1], 0xAB);
    release("256*256*4", memory);
    release("nothing", nullptr);
    EXPECT_TRUE(log.messages().empty());
}

TEST_F(dvrMemoryTest, AnAllocationThatKeepsFailingGivesUpAfterTheRetries) {
    dvrMemory::setRetryPolicy(3, std::chrono::milliseconds(1));
    EXPECT_EQ(mustAlloc("DVR_MAX_COMPRESSED_SIZE", SIZE_MAX / 2), nullptr);
    ASSERT_EQ(log.messages().size(), 1u);
    EXPECT_EQ(log.messages()[0].rfind("[MUSTMALLOC] ", 0), 0u) << log.messages()[0];
    EXPECT_NE(log.messages()[0].find("[DVR_MAX_COMPRESSED_SIZE]"), std::string::npos);
}

} // namespace
