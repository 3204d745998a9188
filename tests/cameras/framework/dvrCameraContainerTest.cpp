#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "console/dvrConsole.h"
#include "dvrCameraContainer.h"
#include "dvrCapturedLog.h"
#include "dvrRecordingBoard.h"
#include "dvrRecordingCamera.h"
#include "settings/dvrSettingSet.h"

namespace {

constexpr int type = dvrRecordingBoard::cameraType;

class dvrCameraContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dvrCameraContainer::registerKind(
            type, [](dvrBoard* board) { return std::make_unique<dvrRecordingCamera>(board); });
        console = dvrConsole::create();
        console->setHandler("CloseWindow", [this](const dvrCommand& c) {
            closed.push_back(c.argument(0) + " " + c.argument(1));
            return 1;
        });
    }
    void TearDown() override {
        cameras.deleteAll();
        dvrConsole::destroy();
        dvrCameraContainer::unregisterKind(type);
    }
    std::vector<std::string> names() const {
        std::vector<std::string> list;
        for (dvrCamera* camera : cameras.cameras())
            list.push_back(camera->getName());
        return list;
    }

    dvrCapturedLog log;
    dvrConsole* console = nullptr;
    std::vector<std::string> closed;
    dvrRecordingBoard board;
    dvrRecordingBoard other;
    dvrCameraContainer cameras;
};

TEST_F(dvrCameraContainerTest, AddRefusesWhatCannotBeACamera) {
    ASSERT_EQ(cameras.addCamera(type, 1, "Gate", &board), 1);
    struct Case {
        int cameraType;
        int input;
        std::string name;
        dvrBoard* board;
        const char* logged;
    } cases[] = {
        {type, 1, "Taken", &board, nullptr},
        {type, -1, "Negative", &board, nullptr},
        {type, 4, "Outside", &board, nullptr},
        {type, 0, "NoBoard", nullptr, nullptr},
        {55, 0, "Unknown", &board, "[CAMERA] Unhandled camera type 55 in dvrCameraContainer::addCamera!"},
        {type, 0, "", &board, "[CAMERA] Camera name `' cannot be used.\n"},
        {type, 0, std::string(32, 'n'), &board, nullptr},
        {type, 0, "Two words", &board, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        EXPECT_EQ(cameras.addCamera(c.cameraType, c.input, c.name, c.board), 0);
        if (c.logged) {
            EXPECT_TRUE(log.contains(c.logged)) << log.all();
        }
    }
    EXPECT_EQ(names(), (std::vector<std::string>{"Gate"}));
    // The refused cameras gave nothing back that was not theirs and closed no window.
    EXPECT_TRUE(board.isInputInUse(1));
    EXPECT_FALSE(board.isInputInUse(0));
    EXPECT_TRUE(closed.empty());
}

TEST_F(dvrCameraContainerTest, DeletingACameraReleasesItsInputAndClosesItsWindows) {
    cameras.addCamera(type, 0, "Gate", &board);
    cameras.addCamera(type, 1, "Yard", &board);
    cameras.findCamera("Yard")->getSettings()->setInt("noclosewindow", 1);
    EXPECT_FALSE(cameras.deleteCamera("Nothing"));
    EXPECT_TRUE(cameras.deleteCamera("GATE"));
    EXPECT_TRUE(cameras.deleteCamera(cameras.findCamera("Yard")));
    EXPECT_EQ(closed, (std::vector<std::string>{"camera Gate"}));
    EXPECT_FALSE(board.isInputInUse(0));
    EXPECT_FALSE(board.isInputInUse(1));
    EXPECT_EQ(cameras.count(), 0u);
    // The inputs can be taken again.
    EXPECT_EQ(cameras.addCamera(type, 0, "Again", &board), 1);
}

TEST_F(dvrCameraContainerTest, LookupsByNameAndByBoardInput) {
    cameras.addCamera(type, 0, "Cam10", &board);
    cameras.addCamera(type, 1, "Cam1", &board);
    cameras.addCamera(type, 0, "Other", &other);
    EXPECT_EQ(cameras.findCamera("cam1")->getName(), "Cam1");
    EXPECT_EQ(cameras.findCamera("Cam")->getName(), "Cam10");
    EXPECT_EQ(cameras.findCamera("Oth")->getName(), "Other");
    EXPECT_EQ(cameras.findCamera("Missing"), nullptr);
    EXPECT_EQ(cameras.findCameraAt(other.getId(), 0)->getName(), "Other");
    EXPECT_EQ(cameras.findCameraAt(board.getId(), 1)->getName(), "Cam1");
    EXPECT_EQ(cameras.findCameraAt(board.getId(), 2), nullptr);
    EXPECT_EQ(cameras.findCameraAt(-1, 0), nullptr);
    EXPECT_EQ(cameras.camerasOf(&board).size(), 2u);
    EXPECT_EQ(cameras.findCamera("Cam1")->getBoardId(), board.getId());
}

TEST_F(dvrCameraContainerTest, InitStartAndStopAll) {
    cameras.addCamera(type, 0, "Gate", &board);
    cameras.addCamera(type, 1, "Yard", &board);
    board.start();
    EXPECT_TRUE(cameras.initAll());
    EXPECT_TRUE(cameras.startAll());
    for (dvrCamera* camera : cameras.cameras())
        EXPECT_TRUE(camera->isStarted());
    EXPECT_TRUE(cameras.stopAll());
    for (dvrCamera* camera : cameras.cameras())
        EXPECT_FALSE(camera->isStarted());
    std::vector<std::string> inputCalls;
    for (const std::string& call : board.journal())
        if (call.find("Input") != std::string::npos)
            inputCalls.push_back(call);
    EXPECT_EQ(inputCalls,
              (std::vector<std::string>{"startInput 0", "startInput 1", "stopInput 0", "stopInput 1"}));
}

TEST_F(dvrCameraContainerTest, InitAllStopsAtTheFirstCameraThatFails) {
    // A camera whose board is gone cannot be initialised.
    auto doomed = std::make_unique<dvrRecordingBoard>();
    cameras.addCamera(type, 0, "Gate", &board);
    cameras.addCamera(type, 0, "Orphan", doomed.get());
    cameras.addCamera(type, 1, "Yard", &board);
    doomed.reset();
    log.clear();
    EXPECT_FALSE(cameras.initAll());
    EXPECT_TRUE(log.contains("Camera Orphan init failed!")) << log.all();
    EXPECT_EQ(cameras.findCamera("Orphan")->getBoard(), nullptr);
}

TEST_F(dvrCameraContainerTest, DeleteAllReportsWhetherAnythingWent) {
    EXPECT_FALSE(cameras.deleteAll());
    cameras.addCamera(type, 0, "Gate", &board);
    cameras.addCamera(type, 1, "Yard", &board);
    EXPECT_TRUE(cameras.deleteAll());
    EXPECT_EQ(cameras.count(), 0u);
    EXPECT_FALSE(board.isInputInUse(0));
    EXPECT_EQ(closed.size(), 2u);
}

} // namespace
