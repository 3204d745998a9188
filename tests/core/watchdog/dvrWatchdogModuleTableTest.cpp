#include <gtest/gtest.h>

#include <string>

#include "watchdog/dvrWatchdogModuleTable.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using Table = dvrWatchdogModuleTable;

TEST(dvrWatchdogModuleTableTest, SilenceFailsOnceItReachesTheTimeOut) {
    const struct {
        seconds timeOut;
        milliseconds silence;
        bool failed;
    } cases[] = {
        {seconds(200), milliseconds(199999), false},
        {seconds(200), milliseconds(200000), true},
        {seconds(3 * 86400), seconds(3 * 86400 - 1), false},
        {seconds(30 * 86400), seconds(30 * 86400), true},
    };
    for (const auto& c : cases) {
        Table table;
        table.add(1, c.timeOut, "camera", milliseconds(5000));
        EXPECT_EQ(table.lastFailed(milliseconds(5000) + c.silence).has_value(), c.failed)
            << c.timeOut.count() << " s after " << c.silence.count() << " ms";
    }
}

TEST(dvrWatchdogModuleTableTest, AReportStartsTheSilenceAgainAndUnknownReportsAreIgnored) {
    Table table;
    table.add(7, seconds(200), "camera", milliseconds(0));
    table.reportAlive(8, seconds(150));
    table.reportAlive(7, seconds(150));
    EXPECT_FALSE(table.lastFailed(seconds(349)));
    EXPECT_EQ(table.lastFailed(seconds(350)), "camera");
    EXPECT_EQ(table.size(), 1u);
}

TEST(dvrWatchdogModuleTableTest, TheLastFailedModuleInTableOrderIsNamed) {
    Table table;
    table.add(1, seconds(10), "first", seconds(0));
    table.add(2, seconds(10), "alive", seconds(0));
    table.add(3, seconds(10), "third", seconds(0));
    table.reportAlive(2, seconds(15));
    EXPECT_EQ(table.lastFailed(seconds(20)), "third");
    EXPECT_TRUE(table.remove(3));
    EXPECT_EQ(table.lastFailed(seconds(20)), "first");
}

TEST(dvrWatchdogModuleTableTest, UnregisterRemovesOnlyTheFirstEntryOfAModule) {
    Table table;
    table.add(4, seconds(10), "older", seconds(0));
    table.add(4, seconds(100), "newer", seconds(0));
    EXPECT_TRUE(table.remove(4));
    EXPECT_FALSE(table.remove(5));
    EXPECT_FALSE(table.lastFailed(seconds(50))) << "the entry with the short time-out is gone";
    EXPECT_EQ(table.lastFailed(seconds(100)), "newer");
}

TEST(dvrWatchdogModuleTableTest, NamesAreCutTo63BytesWithoutSplittingACharacter) {
    const struct {
        std::string name;
        std::string kept;
    } cases[] = {
        {std::string(63, 'a'), std::string(63, 'a')},
        {std::string(100, 'b'), std::string(63, 'b')},
        // 62 bytes, then a two-byte character that would straddle the limit.
        {std::string(62, 'c') + "\xC3\xA9" + "d", std::string(62, 'c')},
    };
    for (const auto& c : cases) {
        Table table;
        table.add(1, seconds(0), c.name, seconds(0));
        EXPECT_EQ(table.lastFailed(seconds(0)), c.kept);
    }
}

} // namespace
