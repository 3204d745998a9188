#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "console/dvrCommand.h"
#include "dvrCapturedLog.h"
#include "dvrXecapTestDriver.h"
#include "settings/dvrSettingSet.h"
#include "xecap/dvrBoard_xecap.h"
#include "xecap/dvrCamera_xecap.h"

namespace {

void set(dvrObject& object, const char* scope, const std::string& key, int value) {
    object.applySet(
        dvrCommand::parse(std::string("set ") + scope + " x " + key + " int " + std::to_string(value)));
}

// An opened board (PAL unless told otherwise) on simulated card 0 and cameras on its inputs.
class dvrCameraXecapTest : public ::testing::Test {
protected:
    void openBoard(int videoStandard = 1) {
        set(board, "board", "videostd", videoStandard);
        ASSERT_TRUE(board.open());
    }

    dvrCamera_xecap& addCamera(int input, const std::string& name, int framerate) {
        cameras.push_back(std::make_unique<dvrCamera_xecap>(&board));
        dvrCamera_xecap& camera = *cameras.back();
        EXPECT_TRUE(camera.attach(input));
        camera.setName(name);
        set(camera, "camera", "framerate", framerate);
        return camera;
    }

    dvrCapturedLog log;
    dvrXecapTestDriver driver;
    dvrBoard_xecap board;
    std::vector<std::unique_ptr<dvrCamera_xecap>> cameras;
};

TEST_F(dvrCameraXecapTest, SettingsForPalAndNtsc) {
    struct Case {
        int videoStandard;
        int ceiling;
        std::vector<std::string> labels;
        int height;
    } cases[] = {
        {1, 25, {"704 x 576 (4CIF)", "704 x 288 (2CIF)", "352 x 288 (CIF)"}, 288},
        {0, 30, {"704 x 480 (4CIF)", "704 x 240 (2CIF)", "352 x 240 (CIF)"}, 240},
    };
    for (const Case& c : cases) {
        set(board, "board", "videostd", c.videoStandard);
        dvrCamera_xecap camera(&board);
        const dvrSettingSet& s = *camera.getSettings();
        EXPECT_EQ(camera.getMaxFramerate(), c.ceiling);
        int resolution = s.find("resolution");
        ASSERT_EQ(s.choiceCount(resolution), 3);
        for (int n = 0; n < 3; ++n) {
            EXPECT_EQ(s.choiceText(resolution, n), c.labels[static_cast<std::size_t>(n)]);
            EXPECT_EQ(s.choiceValue(resolution, n), (std::vector<int>{2, 5, 8})[static_cast<std::size_t>(n)]);
        }
        EXPECT_EQ(s.getInt("resolution"), 8);
        EXPECT_EQ(camera.resolutionCount(), 13);
        EXPECT_EQ(s.getInt("format"), 2);
        EXPECT_TRUE(camera.supportsFormat(2));
        EXPECT_FALSE(camera.supportsFormat(3));
        int framesLeft = s.find("framesleft");
        EXPECT_EQ(framesLeft, s.find("framerate") + 1);
        dvrSetting entry = s.entry(framesLeft);
        EXPECT_EQ(entry.label, "Frames left on XeCap");
        EXPECT_EQ(entry.kind, 1);
        EXPECT_EQ(entry.flags, 0xA8u);
        dvrSetting noSwitch = s.entry(s.find("noswitch"));
        EXPECT_EQ(noSwitch.label, "No switching");
        EXPECT_EQ(noSwitch.kind, 4);
        EXPECT_EQ(noSwitch.flags, 0x10u);
        for (const char* key : {"brightness", "contrast", "sharpness", "color"})
            EXPECT_EQ(s.getInt(key), 128) << key;
    }
}

TEST_F(dvrCameraXecapTest, FramesLeftIsRewrittenForEveryCameraAfterAFramerateChange) {
    openBoard();
    // Inputs 0, 4 and 8 share group 0; input 1 is in group 1.
    dvrCamera_xecap& first = addCamera(0, "first", 8);
    dvrCamera_xecap& other = addCamera(1, "other", 5);
    dvrCamera_xecap& second = addCamera(4, "second", 8);
    EXPECT_EQ(first.getSettings()->getText("framesleft"), "9 frames");
    dvrCamera_xecap& third = addCamera(8, "third", 8);
    for (dvrCamera_xecap* camera : {&first, &second, &third})
        EXPECT_EQ(camera->getSettings()->getText("framesleft"), "1 frames") << camera->getName();
    EXPECT_EQ(other.getSettings()->getText("framesleft"), "20 frames");
    set(second, "camera", "framerate", 2);
    EXPECT_EQ(first.getSettings()->getText("framesleft"), "7 frames");
}

TEST_F(dvrCameraXecapTest, A4cifRequestOnABusyBoardStoresCif) {
    openBoard();
    for (int input : {1, 2}) {
        dvrCamera_xecap& busy = addCamera(input, "busy", 20);
        ASSERT_TRUE(busy.setResolution(2));
    }
    dvrCamera_xecap& camera = addCamera(0, "late", 11);
    EXPECT_FALSE(camera.setResolution(2));
    EXPECT_EQ(camera.getSettings()->getInt("resolution"), 8);
    EXPECT_EQ(board.inputResolution(0), 8);
}

TEST_F(dvrCameraXecapTest, NoSwitchMarkAndMonitorText) {
    openBoard();
    dvrCamera_xecap& gate = addCamera(0, "Gate", 1);
    dvrCamera_xecap& yard = addCamera(1, "Yärd", 1);
    addCamera(2, "Door", 1);
    set(yard, "camera", "noswitch", 1);
    set(board, "board", "rt_tvout1", 1);
    board.switchMonitorToNext();
    EXPECT_EQ(board.monitorInput(), 2) << "input 1 is marked";
    set(yard, "camera", "noswitch", 0);
    board.switchMonitorToNext();
    EXPECT_EQ(board.monitorInput(), 0);
    board.switchMonitorToNext();
    EXPECT_EQ(board.monitorInput(), 1);

    set(board, "board", "rt_tvOSD", 2);
    set(board, "board", "rt_tvOSDrec", 1);
    board.update();
    // 24 characters; "ä" takes two bytes.
    EXPECT_EQ(driver.card().osdText(0).substr(0, 25), "Yärd                    ");
    yard.setMotionRecording(true);
    board.update();
    EXPECT_EQ(driver.card().osdText(0).substr(0, 25), "Yärd                  {}");
    set(board, "board", "rt_tvout1", 1);
    board.update();
    EXPECT_EQ(driver.card().osdText(0).substr(0, 24), "Gate                    ");
    (void)gate;
}

} // namespace
