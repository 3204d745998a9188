#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "config/dvrConfigurationWriter.h"
#include "console/dvrConsole.h"
#include "dvrBoardContainer.h"
#include "dvrCameraContainer.h"
#include "dvrCapturedLog.h"
#include "dvrCore.h"
#include "dvrRecordingBoard.h"
#include "dvrRecordingCamera.h"
#include "object/dvrEvents.h"
#include "object/dvrObserver.h"
#include "settings/dvrGlobalSettings.h"

namespace {

class UniqueRecordingBoard : public dvrRecordingBoard {
public:
    bool isUnique() const override { return true; }
    std::string getTypeName() const override { return "UniqueRecording"; }
};

// Boards go away through the core while cameras sit on them; no camera may keep a pointer to a
// deleted board (the sanitizer builds catch any use of one).
class dvrCameraBoardDeletionTest : public ::testing::Test {
protected:
    void SetUp() override {
        dvrBoardContainer::registerKind("recording", [] { return std::make_unique<dvrRecordingBoard>(); });
        dvrBoardContainer::registerKind("uniquerecording",
                                        [] { return std::make_unique<UniqueRecordingBoard>(); });
        dvrCameraContainer::registerKind(dvrRecordingBoard::cameraType, [](dvrBoard* board) {
            return std::make_unique<dvrRecordingCamera>(board);
        });
        console = dvrConsole::create();
        dvrGlobalSettings::create();
        dvrGlobalSettings::applyDefaults();
        core = dvrCore::create();
        core->registerCommands(*console);
        console->run("addcard recording A");
        console->run("addcard uniquerecording U");
        console->run("addcamera A 0 Gate");
        console->run("addcamera U 0 Server");
        console->run("start");
    }
    void TearDown() override {
        dvrCore::destroy();
        dvrGlobalSettings::destroy();
        dvrConsole::destroy();
        dvrBoardContainer::unregisterKind("recording");
        dvrBoardContainer::unregisterKind("uniquerecording");
        dvrCameraContainer::unregisterKind(dvrRecordingBoard::cameraType);
    }

    dvrCapturedLog log;
    dvrConsole* console = nullptr;
    dvrCore* core = nullptr;
};

TEST_F(dvrCameraBoardDeletionTest, DelCardTakesTheBoardsCamerasWithIt) {
    ASSERT_TRUE(core->isCapturing());
    EXPECT_EQ(console->run("delcard A"), 1);
    EXPECT_EQ(core->findCamera("Gate"), nullptr);
    EXPECT_TRUE(core->findCamera("Server")->isStarted()); // capture came back for the rest
}

TEST_F(dvrCameraBoardDeletionTest, ABoardDeletedUnderACameraLeavesItDetached) {
    console->run("stop");
    dvrCamera* gate = core->findCamera("Gate");
    ASSERT_TRUE(core->boards().deleteBoard("A"));
    EXPECT_EQ(gate->getBoard(), nullptr);
    EXPECT_EQ(gate->getInput(), -1);
    EXPECT_FALSE(gate->isStarted());
    EXPECT_EQ(core->findCameraAt(-1, -1), gate);

    // The detached camera is still a camera: it cannot capture, and it can be deleted.
    log.clear();
    EXPECT_EQ(console->run("start"), 1);
    EXPECT_TRUE(log.contains("Camera Gate init failed!")) << log.all();
    EXPECT_EQ(console->run("delcamera Gate"), 1);
}

// Remembers which board a camera still pointed at when it was destroyed.
class BoardAtDestruction : public dvrObserver {
public:
    ~BoardAtDestruction() override { stopObserving(); }
    void onNotify(dvrNotifier* notifier, std::uint32_t events) override {
        dvrObserver::onNotify(notifier, events);
        if (events & dvrEvent::destroyed) {
            destroyed = true;
            board = static_cast<dvrCamera*>(static_cast<dvrObject*>(notifier))->getBoard();
        }
    }
    bool destroyed = false;
    dvrBoard* board = nullptr;
};

TEST_F(dvrCameraBoardDeletionTest, ShutDownDeletesUniqueBoardsBeforeTheirCameras) {
    BoardAtDestruction server;
    BoardAtDestruction gate;
    core->findCamera("Server")->addObserver(&server, dvrEvent::destroyed);
    core->findCamera("Gate")->addObserver(&gate, dvrEvent::destroyed);
    dvrCore::destroy();
    core = nullptr;
    ASSERT_TRUE(server.destroyed);
    EXPECT_EQ(server.board, nullptr); // its unique board had already gone
    ASSERT_TRUE(gate.destroyed);
    EXPECT_NE(gate.board, nullptr); // board A outlives its camera
}

TEST_F(dvrCameraBoardDeletionTest, SavedCamerasComeBackIdentical) {
    for (const char* line :
         {"set camera Gate framerate int 12", "set camera Gate framerate_c int 8",
          "set camera Gate resolution int 1", "set camera Gate format int 3", "set camera Gate codec int 5",
          "set camera Gate recordbyrule string Door open", "set camera Gate mask2 string 0011",
          "set camera Gate domepresetname3 string Gate view", "set camera Gate mot_tol int 20",
          "set camera Server group int 2"})
        EXPECT_EQ(console->run(line), 1) << line;
    std::string saved = dvrConfigurationWriter::compose();
    EXPECT_NE(saved.find("set camera Gate recordbyrule string Door open\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("set camera Gate framerate_c int 8\n"), std::string::npos) << saved;

    TearDown();
    SetUp();
    console->run("delcards");
    console->runText(saved);
    EXPECT_EQ(dvrConfigurationWriter::compose(), saved);
}

TEST_F(dvrCameraBoardDeletionTest, DelCardsLeavesNoCameraBehind) {
    EXPECT_EQ(console->run("delcards"), 1);
    EXPECT_EQ(core->cameras().count(), 0u);
    EXPECT_EQ(core->boards().count(), 0u);
}

} // namespace
