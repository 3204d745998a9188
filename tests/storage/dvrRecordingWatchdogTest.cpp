#include <gtest/gtest.h>

#include "dvrRecordingWatchdog.h"

namespace {

TEST(dvrRecordingWatchdog, RestartsAfterMoreWholeMinutesThanTheDelay) {
    std::int64_t now = 1000000;
    dvrRecordingWatchdog watchdog([&] { return now; });
    struct Step {
        std::int64_t advance;
        bool enabled;
        bool due;
    } steps[] = {
        {5 * 60 + 59, true, false}, // 5 whole minutes: not more than 5
        {1, true, true},            // 6 whole minutes
        {60, true, false},          // counting starts again at the restart
        {6 * 60, true, true},
        {3600, false, false}, // off: never
    };
    for (const Step& step : steps) {
        now += step.advance;
        EXPECT_EQ(watchdog.due(step.enabled, 5), step.due) << now;
    }
}

TEST(dvrRecordingWatchdog, StoredFrameRenewsTheTime) {
    std::int64_t now = 0;
    dvrRecordingWatchdog watchdog([&] { return now; });
    now += 30 * 60;
    watchdog.noteStored();
    now += 30 * 60 + 59;
    EXPECT_FALSE(watchdog.due(true, 30));
    now += 1;
    EXPECT_TRUE(watchdog.due(true, 30));
}

} // namespace

#include "console/dvrConsole.h"
#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingSet.h"

namespace {

TEST(dvrRecordingWatchdog, PostsStopAndStartWithTheGlobalSettings) {
    dvrConsole* console = dvrConsole::create();
    dvrSettingSet* settings = dvrGlobalSettings::create();
    dvrGlobalSettings::applyDefaults();
    std::int64_t now = 0;
    dvrRecordingWatchdog watchdog([&] { return now; });
    now += 30 * 60 + 59; // the default delay of 30 minutes is not yet exceeded
    watchdog.check();
    EXPECT_EQ(console->queuedCount(), 0u);
    now += 1;
    watchdog.check();
    EXPECT_EQ(console->queuedCount(), 2u); // "stop", then "start"
    settings->setInt("recordwd", 0);
    now += 24 * 3600;
    watchdog.check();
    EXPECT_EQ(console->queuedCount(), 2u);
    dvrGlobalSettings::destroy();
    dvrConsole::destroy();
}

} // namespace
