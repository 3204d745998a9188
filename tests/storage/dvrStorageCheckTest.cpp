#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <thread>
#include <unistd.h>

#include "dvrFileSystem.h"
#include "dvrStorageCheck.h"
#include "dvrStorageTestSupport.h"
#include "dvrTemporaryDirectory.h"

namespace {

class dvrStorageCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory.write("mirdal.drv", "D\n2\n#\n");
        auto store = dvrFileSystem::open(directory.file("mirdal.drv"), directory.path());
        ASSERT_TRUE(store);
        for (std::uint32_t i = 0; i < 20; ++i) {
            dvrTestFrame frame = makeTestFrame(1000, 100 + i, 0, 1, i % 2);
            while (!store->addFrame(frame.record, frame.data.data(), frame.data.size()))
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    std::string page() const { return directory.file("drives/d/capture/mrd0000.tt"); }

    int runProgram() const {
        const std::string command = std::string(MIRDAL_STORAGE_PROGRAM) + " check " + directory.path() + " >/dev/null";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    dvrTemporaryDirectory directory;
};

TEST_F(dvrStorageCheckTest, IntactStorePasses) {
    std::ostringstream out;
    auto result = dvrStorageCheck::run(directory.path(), out);
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.rows, 20u);
    EXPECT_EQ(result.mismatches, 0u) << out.str();
    EXPECT_EQ(runProgram(), 0);
}

TEST_F(dvrStorageCheckTest, OverwrittenAndMissingRecordsAreReported) {
    // Record 3's extension says another second; the page file ends inside record 19.
    int file = ::open(page().c_str(), O_WRONLY);
    ASSERT_GE(file, 0);
    const std::uint8_t otherSecond[4] = {0x10, 0x27, 0, 0};
    ASSERT_EQ(::pwrite(file, otherSecond, 4, 3 * 1252 + 220), 4);
    ASSERT_EQ(::ftruncate(file, 19 * 1252 + 500), 0);
    ::close(file);
    std::ostringstream out;
    auto result = dvrStorageCheck::run(directory.path(), out);
    EXPECT_EQ(result.mismatches, 2u) << out.str();
    EXPECT_NE(out.str().find("time 10000 in the record, 103 in the index"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("cut short"), std::string::npos) << out.str();
    EXPECT_EQ(runProgram(), 1);
}

TEST_F(dvrStorageCheckTest, StoreThatCannotBeReadIsNotAPass) {
    dvrTemporaryDirectory empty;
    std::ostringstream out;
    EXPECT_FALSE(dvrStorageCheck::run(empty.path(), out).opened);
    const std::string command = std::string(MIRDAL_STORAGE_PROGRAM) + " check " + empty.path() + " >/dev/null";
    int status = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

} // namespace
