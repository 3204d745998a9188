#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "console/dvrCommand.h"
#include "dvrCapturedLog.h"
#include "dvrSteppedEnvironment.h"
#include "dvrTemporaryDirectory.h"
#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingLines.h"
#include "settings/dvrSettingSet.h"
#include "watchdog/dvrOKThread.h"

namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;
using State = dvrPollFile::State;

std::string failureOf(const std::string& name) {
    return "Failure detected (module " + name + ")! Waiting for restart...";
}

class dvrOKThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        settings = dvrGlobalSettings::create();
        dvrGlobalSettings::applyDefaults();
        settings->setInt("swwatchdog", 1);
    }

    void TearDown() override {
        watchdog.reset();
        dvrOKThread::destroy();
        dvrGlobalSettings::destroy();
    }

    // A watchdog of its own (not the process-wide one) on the stepped clock, with its first
    // cycle done.
    void start() {
        auto stepped = std::make_unique<dvrSteppedEnvironment>();
        environment = stepped.get();
        watchdog = std::make_unique<dvrOKThread>(pollPath(), std::move(stepped));
        watchdog->start();
        ASSERT_TRUE(environment->awaitWaiting());
    }

    // The process-wide watchdog with the setting reactions, as start-up creates it.
    void createInstance() {
        auto stepped = std::make_unique<dvrSteppedEnvironment>();
        environment = stepped.get();
        dvrOKThread::create(pollPath(), std::move(stepped));
        dvrOKThread::installSettingReactions();
        ASSERT_TRUE(environment->awaitWaiting());
    }

    std::string pollPath() const { return directory.file(dvrPollFile::fileName); }
    State pollState() const { return dvrPollFile(pollPath()).state(); }
    void putMarker() const { ASSERT_TRUE(dvrPollFile(pollPath()).appendMarker()); }

    // Runs the next cycle as it would after the marker was put into the file; tells whether
    // the cycle emptied it.
    bool cycleEmptiesTheFile() {
        putMarker();
        EXPECT_TRUE(environment->step());
        return pollState() == State::empty;
    }

    static void setGlobal(const std::string& key, int value) {
        dvrSettingLines::route(
            dvrCommand::parse("set global global " + key + " int " + std::to_string(value)));
    }

    dvrTemporaryDirectory directory;
    dvrCapturedLog log;
    dvrSettingSet* settings = nullptr;
    dvrSteppedEnvironment* environment = nullptr;
    std::unique_ptr<dvrOKThread> watchdog;
};

TEST_F(dvrOKThreadTest, ReportingModulesKeepThePollFileEmptiedUntilStopLeavesDie) {
    start();
    int camera = 0;
    watchdog->registerModule(dvrOKThread::moduleOf(&camera), 200, "Cam 1");
    EXPECT_EQ(environment->lastWait(), 900ms);
    // 300 cycles of 900 ms outlast the time-out, but the module reports in each.
    for (int cycle = 0; cycle < 300; ++cycle) {
        watchdog->reportAlive(dvrOKThread::moduleOf(&camera));
        ASSERT_TRUE(cycleEmptiesTheFile()) << "cycle " << cycle;
        EXPECT_EQ(environment->lastWait(), 900ms);
    }
    EXPECT_FALSE(log.contains("Failure detected"));
    watchdog->stop();
    EXPECT_EQ(pollState(), State::die);
}

TEST_F(dvrOKThreadTest, ASilentModuleWithTheSoftwareWatchdogOnIsLoggedThenTheProcessKilled) {
    start();
    int camera = 0;
    int writer = 0;
    watchdog->registerModule(dvrOKThread::moduleOf(&camera), 200, "Cam 1");
    watchdog->registerModule(dvrOKThread::moduleOf(&writer), 200, "file system");
    environment->advance(200s - 900ms - 900ms);
    watchdog->reportAlive(dvrOKThread::moduleOf(&writer));
    EXPECT_TRUE(cycleEmptiesTheFile()) << "a cycle before the time-out";

    EXPECT_FALSE(cycleEmptiesTheFile()) << "the file is left for the external program";
    EXPECT_TRUE(log.contains(failureOf("Cam 1"))) << log.all();
    EXPECT_FALSE(log.contains("file system"));
    EXPECT_EQ(environment->lastWait(), 5000ms);
    EXPECT_EQ(environment->kills(), 0) << "the kill comes after the wait";
    ASSERT_TRUE(environment->step());
    EXPECT_EQ(environment->kills(), 1);
    EXPECT_EQ(pollState(), State::notEmptied);
}

TEST_F(dvrOKThreadTest, ASilentModuleWhileTheSoftwareWatchdogIsOffOnlyKeepsEmptying) {
    const struct {
        const char* what;
        bool settingsExist;
    } cases[] = {{"swwatchdog 0", true}, {"no global settings yet", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        log.clear();
        if (c.settingsExist) {
            settings = dvrGlobalSettings::create();
            dvrGlobalSettings::applyDefaults();
            settings->setInt("swwatchdog", 0);
        } else {
            dvrGlobalSettings::destroy();
        }
        start();
        watchdog->registerModule(1, 200, "Cam 1");
        environment->advance(300s);
        for (int cycle = 0; cycle < 3; ++cycle)
            EXPECT_TRUE(cycleEmptiesTheFile());
        EXPECT_EQ(environment->kills(), 0);
        EXPECT_FALSE(log.contains("Failure detected"));
        watchdog.reset();
    }
}

TEST_F(dvrOKThreadTest, StopDuringTheWaitBeforeTheKillKillsNothing) {
    start();
    watchdog->registerModule(1, 200, "Cam 1");
    environment->advance(200s);
    EXPECT_FALSE(cycleEmptiesTheFile());
    ASSERT_EQ(environment->lastWait(), 5000ms);
    watchdog->stop();
    EXPECT_EQ(environment->kills(), 0);
    EXPECT_EQ(pollState(), State::die);
}

TEST_F(dvrOKThreadTest, DieWrittenAtShutDownIsNeverEmptiedAgain) {
    start();
    watchdog->registerModule(1, 200, "Cam 1");
    watchdog->markShutDown();
    EXPECT_EQ(pollState(), State::die);
    for (int cycle = 0; cycle < 3; ++cycle) {
        ASSERT_TRUE(environment->step());
        EXPECT_EQ(pollState(), State::die) << "cycle " << cycle;
    }
    // A module that hangs the shut-down still ends the process, and "die" stays.
    environment->advance(200s);
    ASSERT_TRUE(environment->step());
    ASSERT_TRUE(environment->step());
    EXPECT_EQ(environment->kills(), 1);
    EXPECT_EQ(pollState(), State::die);
}

TEST_F(dvrOKThreadTest, APollFileThatCannotBeEmptiedIsReportedOnceNotEveryCycle) {
    auto stepped = std::make_unique<dvrSteppedEnvironment>();
    environment = stepped.get();
    watchdog = std::make_unique<dvrOKThread>(directory.file("missing/__poll"), std::move(stepped));
    watchdog->start();
    ASSERT_TRUE(environment->awaitWaiting());
    for (int cycle = 0; cycle < 5; ++cycle)
        ASSERT_TRUE(environment->step());
    int reports = 0;
    for (const std::string& message : log.messages())
        reports += message.find("Cannot empty the poll file") != std::string::npos;
    EXPECT_EQ(reports, 1) << log.all();
}

TEST_F(dvrOKThreadTest, ModulesRegisterReportAndLeaveFromManyThreadsWhileTheLoopRuns) {
    start();
    std::atomic<bool> running{true};
    std::vector<std::thread> workers;
    for (int n = 0; n < 4; ++n)
        workers.emplace_back([&, n] {
            int self = 0;
            auto module = dvrOKThread::moduleOf(&self);
            while (running) {
                watchdog->registerModule(module, 200, "worker " + std::to_string(n));
                for (int report = 0; report < 10; ++report)
                    watchdog->reportAlive(module);
                watchdog->unregisterModule(module);
            }
        });
    for (int cycle = 0; cycle < 50; ++cycle)
        ASSERT_TRUE(environment->step());
    running = false;
    for (std::thread& worker : workers)
        worker.join();
    // Every worker left: a cycle far in the future finds nobody to blame.
    environment->advance(1000s);
    EXPECT_TRUE(cycleEmptiesTheFile());
    EXPECT_FALSE(log.contains("Failure detected"));
}

TEST_F(dvrOKThreadTest, TheProcessWideWatchdogExistsFromCreateToDestroy) {
    EXPECT_EQ(dvrOKThread::instance(), nullptr);
    createInstance();
    dvrOKThread* created = dvrOKThread::instance();
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(dvrOKThread::create(pollPath()), created);
    dvrOKThread::destroy();
    EXPECT_EQ(dvrOKThread::instance(), nullptr);
    EXPECT_EQ(pollState(), State::die);
    // The reactions went with it: the setting is stored and nothing else happens.
    setGlobal("autoreboot", 1);
    EXPECT_EQ(settings->getInt("autoreboot"), 1);
}

// Registers the automatic restart through the setting lines and finds the day it fires.
class dvrAutomaticRebootTest : public dvrOKThreadTest {
protected:
    // Runs one cycle at the given time after now (more than a cycle away); tells whether the
    // restart fired in it.
    bool firesAfter(milliseconds delay) {
        environment->advance(delay - 900ms);
        log.clear();
        bool fired = !cycleEmptiesTheFile();
        if (fired) {
            EXPECT_TRUE(log.contains(failureOf(dvrOKThread::automaticRebootName)));
            EXPECT_TRUE(environment->step()); // the wait before the kill
        }
        return fired;
    }

    // Whether the restart fires exactly the given number of days after the last registration
    // (not a second before).
    void expectFiresAfterDays(int days) {
        ASSERT_FALSE(firesAfter(std::chrono::seconds(days * 86400 - 1))) << days << " days";
        ASSERT_TRUE(firesAfter(1000ms)) << days << " days";
    }
};

TEST_F(dvrAutomaticRebootTest, TheDelayIsClampedToItsRangeBeforeItBecomesSeconds) {
    const struct {
        int setting;
        int days;
    } cases[] = {{3, 3},  {7, 7},   {30, 30},         {2, 3},          {0, 3},
                 {-5, 3}, {31, 30}, {2000000000, 30}, {-2000000000, 3}};
    createInstance();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        setGlobal("autoreboot", 0);
        setGlobal("autorebootdelay", c.setting);
        setGlobal("autoreboot", 1);
        expectFiresAfterDays(c.days);
    }
}

TEST_F(dvrAutomaticRebootTest, TheModuleFollowsAutorebootAndItsDelay) {
    createInstance();
    setGlobal("autoreboot", 1); // default delay: 7 days
    environment->advance(std::chrono::hours(24));
    setGlobal("autorebootdelay", 4); // counted again from the change
    expectFiresAfterDays(4);

    setGlobal("autoreboot", 0);
    setGlobal("autorebootdelay", 5); // while off nothing is registered
    EXPECT_FALSE(firesAfter(std::chrono::hours(24 * 31)));

    setGlobal("autoreboot", 2); // only 1 switches it on
    EXPECT_FALSE(firesAfter(std::chrono::hours(24 * 31)));

    setGlobal("autoreboot", 1);
    setGlobal("autoreboot", 1); // again: still one module, counted from the last time
    expectFiresAfterDays(5);
    dvrOKThread::instance()->unregisterModule(dvrOKThread::automaticRebootModule);
    EXPECT_FALSE(firesAfter(std::chrono::hours(24 * 31))) << "a second entry was left behind";
}

} // namespace
