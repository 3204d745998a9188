#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "console/dvrConsole.h"
#include "dvrBoard.h"
#include "dvrBoardContainer.h"
#include "dvrCamera.h"
#include "dvrCameraContainer.h"
#include "dvrCapturedLog.h"
#include "dvrCore.h"
#include "config/dvrConfigurationWriter.h"
#include "dvrRuleEvaluation.h"
#include "users/dvrUserList.h"
#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingSet.h"

namespace {

// Everything the test boards and cameras do, in order.
std::vector<std::string> journal;

constexpr int testCameraType = 77;

class TestBoard : public dvrBoard {
public:
    TestBoard(std::string type, bool unique, bool remote) : type_(std::move(type)), unique_(unique), remote_(remote) {}
    ~TestBoard() override { journal.push_back("delete board " + getName()); }
    bool isUnique() const override { return unique_; }
    bool isRemote() const override { return remote_; }
    bool open() override { return !failOpen; }
    std::string getTypeName() const override { return type_; }
    int getCameraType(int) const override { return testCameraType; }
    int getInputCount() const override { return 4; }
    void update() override { ++updates; }
    bool failOpen = false;
    int updates = 0;

private:
    std::string type_;
    bool unique_;
    bool remote_;
};

class TestCamera : public dvrCamera {
public:
    using dvrCamera::dvrCamera;
    ~TestCamera() override { journal.push_back("delete camera " + getName()); }
    int start() override {
        dvrCamera::start();
        journal.push_back("start " + getName());
        return 1;
    }
    int stop() override {
        if (isStarted())
            journal.push_back("stop " + getName());
        return dvrCamera::stop();
    }

protected:
    bool createImage(int width, int height, int format) override {
        journal.push_back("init " + getName());
        return dvrCamera::createImage(width, height, format);
    }
};

class dvrCoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        journal.clear();
        dvrBoardContainer::registerKind("test", [] { return std::make_unique<TestBoard>("Test", false, false); });
        dvrBoardContainer::registerKind("remotetest",
                                        [] { return std::make_unique<TestBoard>("RemoteTest", false, true); });
        dvrBoardContainer::registerKind("uniquetest",
                                        [] { return std::make_unique<TestBoard>("UniqueTest", true, false); });
        dvrCameraContainer::registerKind(testCameraType,
                                         [](dvrBoard* board) { return std::make_unique<TestCamera>(board); });
        console = dvrConsole::create();
        dvrGlobalSettings::create();
        dvrGlobalSettings::applyDefaults();
        core = dvrCore::create();
        core->registerCommands(*console);
    }
    void TearDown() override {
        dvrCore::destroy();
        dvrGlobalSettings::destroy();
        dvrConsole::destroy();
        for (const char* kind : {"test", "remotetest", "uniquetest"})
            dvrBoardContainer::unregisterKind(kind);
        dvrCameraContainer::unregisterKind(testCameraType);
    }

    TestBoard* board(const std::string& name) { return dynamic_cast<TestBoard*>(core->findBoard(name)); }
    bool started(const std::string& name) {
        dvrCamera* camera = core->findCamera(name);
        return camera && camera->isStarted();
    }
    void run(const std::string& line) { console->run(line); }
    // Builds boards A (cameras A1, A2) and B (camera B1).
    void twoBoards() {
        run("addcard test A");
        run("addcard test B");
        run("addcamera A 0 A1");
        run("addcamera A 1 A2 6");
        run("addcamera B 0 B1");
    }

    dvrCapturedLog log;
    dvrConsole* console = nullptr;
    dvrCore* core = nullptr;
};

TEST_F(dvrCoreTest, StartInitialisesEveryCameraThenStartsThem) {
    twoBoards();
    journal.clear();
    EXPECT_EQ(console->run("start"), 1);
    EXPECT_TRUE(core->isCapturing());
    EXPECT_EQ(journal, (std::vector<std::string>{"init A1", "init A2", "init B1", "start A1", "start A2", "start B1"}));
    EXPECT_TRUE(board("A")->isStarted());

    EXPECT_EQ(console->run("stop"), 1);
    EXPECT_FALSE(core->isCapturing());
    EXPECT_FALSE(started("A1"));
    EXPECT_FALSE(board("A")->isStarted());
}

TEST_F(dvrCoreTest, StartWithABoardThatFailsToOpenStartsNothing) {
    twoBoards();
    board("B")->failOpen = true;
    journal.clear();
    EXPECT_EQ(console->run("start"), 0);
    EXPECT_FALSE(core->isCapturing());
    EXPECT_EQ(journal, (std::vector<std::string>{"init A1", "init A2", "init B1"}));
}

TEST_F(dvrCoreTest, DelCardCases) {
    struct Case {
        const char* secondBoard;
        const char* line;
        bool capturing;
        int result;
        std::vector<std::string> boardsLeft;
        std::vector<std::string> camerasLeft;
    } cases[] = {
        {"B", "delcard A", true, 1, {"B"}, {"B1"}},
        {"B", "DELCARD a", false, 1, {"B"}, {"B1"}},
        {"B", "delcard Missing", true, 0, {"A", "B"}, {"A1", "A2", "B1"}},
        // Only part of a name: nothing is deleted, not even the cameras of the board it names.
        {"Board", "delcard Bo", true, 0, {"A", "Board"}, {"A1", "A2", "B1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        TearDown();
        SetUp();
        run("addcard test A");
        run(std::string("addcard test ") + c.secondBoard);
        run("addcamera A 0 A1");
        run("addcamera A 1 A2");
        run(std::string("addcamera ") + c.secondBoard + " 0 B1");
        if (c.capturing)
            run("start");
        EXPECT_EQ(console->run(c.line), c.result);
        EXPECT_EQ(core->isCapturing(), c.capturing);
        std::vector<std::string> boards, cameras;
        for (dvrBoard* b : core->boards().boards())
            boards.push_back(b->getName());
        for (dvrCamera* camera : core->cameras().cameras()) {
            cameras.push_back(camera->getName());
            EXPECT_EQ(camera->isStarted(), c.capturing) << camera->getName();
        }
        EXPECT_EQ(boards, c.boardsLeft);
        EXPECT_EQ(cameras, c.camerasLeft);
    }
}

TEST_F(dvrCoreTest, DelCardsStopsCaptureThenDeletesUniqueBoardsFirst) {
    run("addcard test A");
    run("addcard uniquetest U");
    run("addcamera A 0 A1");
    run("start");
    journal.clear();
    EXPECT_EQ(console->run("delcards"), 1);
    EXPECT_FALSE(core->isCapturing());
    EXPECT_EQ(journal, (std::vector<std::string>{"stop A1", "delete camera A1", "delete board U", "delete board A"}));
    EXPECT_TRUE(log.contains("All boards deleted.\n"));

    log.clear();
    EXPECT_EQ(console->run("delcards"), 0);
    EXPECT_TRUE(log.contains("Board delete failed!\n"));
}

TEST_F(dvrCoreTest, AddCameraCases) {
    run("addcard test A");
    run("addcard remotetest R");
    EXPECT_EQ(console->run("addcamera A 0 Before"), 1);
    EXPECT_FALSE(started("Before"));
    run("start");
    EXPECT_EQ(console->run("addcamera A 1 Live 12"), 1);
    EXPECT_TRUE(started("Live")); // started at once while capture runs
    EXPECT_EQ(console->run("addcamera R 0 Remote"), 1);
    EXPECT_FALSE(started("Remote")); // a remote recorder's camera is not started here

    EXPECT_EQ(console->run("addcamera A 1 Taken"), 0); // input in use
    EXPECT_EQ(console->run("addcamera A 9 Outside"), 0);
    EXPECT_EQ(console->run("addcamera A -1 Negative"), 0);
    EXPECT_EQ(console->run("addcamera Nowhere 2 Lost"), 0);
    EXPECT_EQ(console->run("addcamera A 2 " + std::string(32, 'n')), 0);
    EXPECT_EQ(core->cameras().count(), 3u);
}

TEST_F(dvrCoreTest, LookupsPreferTheExactName) {
    run("addcard test Cam10board");
    run("addcard test B");
    run("addcamera Cam10board 0 Cam10");
    run("addcamera Cam10board 1 Cam1");
    run("addcamera B 0 Yard");
    EXPECT_EQ(core->findCamera("Cam1")->getName(), "Cam1");
    EXPECT_EQ(core->findCamera("cam1")->getName(), "Cam1");
    EXPECT_EQ(core->findCamera("Ya")->getName(), "Yard"); // part of a name still finds
    EXPECT_EQ(core->findBoard("B")->getName(), "B");
    EXPECT_EQ(core->findCamera("Nothing"), nullptr);
    EXPECT_EQ(console->run("dome Cam1 left"), 1);
    EXPECT_EQ(console->run("dome Nothing left"), 0);

    dvrBoard* b = core->findBoard("B");
    EXPECT_EQ(core->findCameraAt(b->getId(), 0)->getName(), "Yard");
    EXPECT_EQ(core->findCameraAt(b->getId(), 1), nullptr);
    EXPECT_EQ(core->countBoards("TEST"), 2);
    EXPECT_EQ(core->countBoards(""), 2);
    EXPECT_EQ(core->countBoards("UniqueTest"), 0);
}

TEST_F(dvrCoreTest, RefreshRestartsOnlyTheMarkedCameraWhileCaptureRuns) {
    twoBoards();
    core->findCamera("A2")->getSettings()->setInt("restartnow", 1);
    journal.clear();
    run("refresh");
    EXPECT_TRUE(journal.empty()); // capture is not running: nothing to restart
    EXPECT_EQ(core->findCamera("A2")->getSettings()->getInt("restartnow"), 0);

    run("start");
    core->findCamera("A2")->getSettings()->setInt("restartnow", 1);
    journal.clear();
    run("refresh");
    EXPECT_EQ(journal, (std::vector<std::string>{"stop A2", "init A2", "start A2"}));
    EXPECT_EQ(core->findCamera("A2")->getSettings()->getInt("restartnow"), 0);
    EXPECT_EQ(board("A")->updates, 2);
}

TEST_F(dvrCoreTest, RefreshSwitchesTooltipsOnChangeAndDrainsTheQueue) {
    std::vector<bool> switches;
    core->setTooltipSwitch([&](bool on) { switches.push_back(on); });
    run("refresh");
    run("refresh");
    run("set global global tooltips_enabled int 0");
    run("refresh");
    EXPECT_EQ(switches, (std::vector<bool>{true, false}));

    console->post("addcard test Queued");
    EXPECT_EQ(core->findBoard("Queued"), nullptr);
    run("refresh");
    EXPECT_NE(core->findBoard("Queued"), nullptr);
}

class ScriptedRules : public dvrRuleEvaluation {
public:
    std::vector<std::pair<std::uint64_t, bool>> evaluateAll() override { return rules; }
    void ruleChanged(std::uint64_t rule, bool value) override { changes.emplace_back(rule, value); }
    std::vector<std::pair<std::uint64_t, bool>> rules;
    std::vector<std::pair<std::uint64_t, bool>> changes;
};

TEST_F(dvrCoreTest, RefreshRunsRuleChangesOncePerChange) {
    ScriptedRules rules;
    core->setRuleEvaluation(&rules);
    rules.rules = {{1, true}, {2, false}};
    run("refresh");
    run("refresh");
    EXPECT_EQ(rules.changes, (std::vector<std::pair<std::uint64_t, bool>>{{1, true}}));
    core->setRuleEvaluation(nullptr);
}

TEST_F(dvrCoreTest, ShutDownStopsCaptureAndDeletesUniqueBoardsFirst) {
    run("addcard test A");
    run("addcard uniquetest U");
    run("addcamera A 0 A1");
    run("start");
    journal.clear();
    dvrCore::destroy();
    EXPECT_EQ(dvrCore::instance(), nullptr);
    EXPECT_EQ(journal, (std::vector<std::string>{"stop A1", "delete board U", "delete camera A1", "delete board A"}));
}

} // namespace

namespace {

TEST_F(dvrCoreTest, SavedConfigurationRecreatesBoardsCamerasAndUsers) {
    run("set global global customer string Depot north");
    run("addcard test A");
    run("addcard remotetest R");
    run("addcamera A 0 Gate");
    run("addcamera A 2 Yard");
    run("addcamera R 0 Elsewhere"); // a remote recorder's camera is not saved
    run("set camera Yard framerate int 6");
    run("adduser admin secret");
    run("adduser guard 1234");
    run("set user guard c_live int 1");
    std::string saved = dvrConfigurationWriter::compose();
    EXPECT_NE(saved.find("addcard Test A\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("addcamera A 2 Yard 6\n"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("Elsewhere"), std::string::npos) << saved;

    TearDown();
    SetUp();
    console->runText(saved);
    EXPECT_EQ(dvrConfigurationWriter::compose(), saved);
    EXPECT_EQ(core->findCamera("Yard")->getInput(), 2);
    EXPECT_EQ(core->users().userCount(), 2u);
    EXPECT_EQ(core->users().findUser("guard")->right("c_live"), 1);
}

TEST_F(dvrCoreTest, UserCommandsReachTheUserList) {
    run("adduser admin secret");
    run("adduser guard 1234");
    EXPECT_EQ(core->users().userCount(), 2u);
    EXPECT_EQ(core->users().findUser("admin")->right("c_quit"), 1);
    EXPECT_FALSE(core->hasRight("c_quit")); // nobody is logged in
    run("deluser GUARD");
    EXPECT_EQ(core->users().userCount(), 1u);
    run("delusers");
    EXPECT_TRUE(core->hasRight("c_quit")); // no users: the local interface may do everything
}

} // namespace
