#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "console/dvrCommand.h"
#include "console/dvrConsole.h"
#include "dvrRecordingBoard.h"
#include "dvrRecordingCamera.h"
#include "object/dvrObserver.h"
#include "settings/dvrSettingSet.h"

namespace {

using Journal = std::vector<std::string>;

class dvrCameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        console = dvrConsole::create();
        console->setHandler("Stop", [this](const dvrCommand&) {
            commands.push_back("stop");
            return 1;
        });
        console->setHandler("Start", [this](const dvrCommand&) {
            commands.push_back("start");
            return 1;
        });
        console->setHandler("CloseWindow", [this](const dvrCommand& c) {
            commands.push_back("closewindow " + c.argument(0) + " " + c.argument(1));
            return 1;
        });
        ASSERT_TRUE(camera.attach(1));
        camera.setName("Gate");
    }
    void TearDown() override { dvrConsole::destroy(); }

    int set(const std::string& key, const std::string& type, const std::string& value) {
        return camera.applySet(dvrCommand::parse("set camera Gate " + key + " " + type + " " + value));
    }
    int set(const std::string& key, int value) { return set(key, "int", std::to_string(value)); }
    int value(const char* key) const { return camera.getSettings()->getInt(key); }
    // Starts the board and the camera, then forgets what that did.
    void startCapture() {
        board.start();
        camera.init();
        camera.start();
        board.clearJournal();
        camera.clearJournal();
    }

    dvrConsole* console = nullptr;
    std::vector<std::string> commands;
    dvrRecordingBoard board;
    dvrRecordingCamera camera{&board};
};

TEST_F(dvrCameraTest, NumbersAreKeptInsideTheirRanges) {
    struct Case {
        const char* key;
        const char* type;
        const char* value;
        const char* readKey;
        int stored;
    } cases[] = {
        {"framerate", "int", "99", "framerate", 25},
        {"framerate", "int", "0", "framerate", 1},
        {"framerate", "int", "-5", "framerate", 1},
        {"framerate", "string", "40", "framerate", 25}, // another type word changes nothing
        {"framerate", "float", "12.7", "framerate", 12},
        {"framerate_c", "int", "20", "framerate_c", 12}, // never above "framerate"
        {"framerate_c", "int", "-3", "framerate_c", 0},
        {"compress", "int", "5", "compress", 10},
        {"compress", "int", "1000", "compress", 100},
        {"brightness", "int", "300", "brightness", 255},
        {"mot_sens1", "int", "17", "mot_sens1", 16},
        {"mot_edge", "int", "1", "mot_edge", 3},
        {"postframes", "int", "21", "postframes", 20},
        {"domexspeed", "int", "0", "domexspeed", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + c.type + " " + c.value);
        EXPECT_EQ(set(c.key, c.type, c.value), 1);
        EXPECT_EQ(value(c.readKey), c.stored);
    }
}

TEST_F(dvrCameraTest, LoweringTheFramerateLowersTheContinuousFramerate) {
    set("framerate", 20);
    set("framerate_c", 15);
    EXPECT_EQ(value("framerate_c"), 15);
    set("framerate", 10);
    EXPECT_EQ(value("framerate_c"), 10);
}

TEST_F(dvrCameraTest, TheBoardDecidesTheFramerate) {
    board.framerateLimit = 8;
    EXPECT_EQ(camera.setFramerate(20), 8);
    EXPECT_EQ(value("framerate"), 8);
    EXPECT_EQ(board.journal(), (Journal{"framerate 1 20"}));
    EXPECT_EQ(board.inputFramerate(1), 8);
}

TEST_F(dvrCameraTest, FormatZeroMeansTwoAndUnsupportedFormatsAreRefused) {
    set("format", 3);
    EXPECT_EQ(value("format"), 3);
    EXPECT_EQ(set("format", 0), 1);
    EXPECT_EQ(value("format"), 2);
    for (int unsupported : {4, -1, 99}) {
        SCOPED_TRACE(unsupported);
        EXPECT_EQ(set("format", unsupported), 0);
        EXPECT_EQ(value("format"), 2);
        EXPECT_FALSE(camera.setFormat(unsupported));
    }
    EXPECT_TRUE(camera.setFormat(1));
    EXPECT_EQ(board.inputFormat(1), 1);
}

class FormatCamera : public dvrCamera {
public:
    FormatCamera(std::initializer_list<int> formats) : dvrCamera(nullptr) {
        getSettings()->setInt("noclosewindow", 1);
        for (int format : formats)
            addSupportedFormat(format);
        declareFormatSetting();
    }
};

TEST(dvrCameraFormatTest, DefaultFormatIsTwoOrTheKindsFirst) {
    EXPECT_EQ(FormatCamera({1, 2, 3}).getSettings()->getInt("format"), 2);
    EXPECT_EQ(FormatCamera({3, 1}).getSettings()->getInt("format"), 3);
    EXPECT_EQ(FormatCamera({}).getSettings()->getInt("format"), 0);
}

TEST_F(dvrCameraTest, ResolutionIndexesOutsideTheTableAreRefused) {
    EXPECT_EQ(set("resolution", 2), 1);
    EXPECT_EQ(value("resolution"), 2);
    for (int outside : {3, -1, 16}) {
        SCOPED_TRACE(outside);
        EXPECT_EQ(set("resolution", outside), 0);
        EXPECT_FALSE(camera.setResolution(outside));
        EXPECT_EQ(value("resolution"), 2);
    }
    // The board may grant another size; the granted one is kept.
    board.grantedResolution = 0;
    EXPECT_FALSE(camera.setResolution(1));
    EXPECT_EQ(value("resolution"), 0);
}

TEST_F(dvrCameraTest, CodecSettingChoosesTheCodecCodeAtInit) {
    struct Case {
        int codec;
        const char* code;
    } cases[] = {{0, "MPG4"}, {1, "MJPG"},  {2, "MPG1"}, {3, "MPG2"},
                 {5, "THEO"}, {-1, "NULL"}, {4, "MPG4"}, {77, "MPG4"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codec);
        set("codec", c.codec);
        camera.clearJournal();
        EXPECT_TRUE(camera.init());
        EXPECT_EQ(camera.getCodecCode(), c.code);
        EXPECT_EQ(camera.getCodecMode(), dvrCamera::localCodecMode);
        EXPECT_EQ(camera.journal(),
                  (Journal{"stopThread", "releaseImage", "releaseCodec", "image 352x288 2", "releaseCodec",
                           "codec " + std::string(c.code) + " 1 -1", "quality 50"}));
    }
}

TEST_F(dvrCameraTest, RemoteCamerasKeepTheirSizeAndUseTheRemoteCodecMode) {
    camera.getSettings()->addSetting("client", "", 7, 0x90);
    camera.getSettings()->setInt("client", 1);
    set("resolution", 0);
    board.clearJournal();
    camera.clearJournal();
    camera.init();
    EXPECT_EQ(camera.getCodecMode(), dvrCamera::remoteCodecMode);
    EXPECT_EQ(camera.journal()[3], "image 704x576 2"); // the default size, not 352x288
    EXPECT_EQ(board.journal().front(), "format 1 2");  // no setResolution/setFormat/setFramerate round
}

TEST_F(dvrCameraTest, SetCodecRefusesCodesAndModesItCannotName) {
    EXPECT_FALSE(camera.setCodec("MPG", 1, -1));
    EXPECT_FALSE(camera.setCodec("MP G", 1, -1));
    EXPECT_FALSE(camera.setCodec("MJPG", 3, -1));
    EXPECT_EQ(camera.getCodecCode(), "MPG4");
    EXPECT_TRUE(camera.setCodec("THEO", 2, 12));
    camera.clearJournal();
    EXPECT_TRUE(camera.resetCodec());
    EXPECT_EQ(camera.journal(), (Journal{"releaseCodec", "codec THEO 2 -1"}));
}

TEST_F(dvrCameraTest, InitAppliesTheSettingsToTheBoardInput) {
    set("framerate", 12);
    set("brightness", 10);
    set("contrast", 20);
    set("sharpness", 30);
    set("color", 40);
    set("resolution", 1);
    set("format", 3);
    set("compress", 70);
    board.clearJournal();
    camera.clearJournal();
    EXPECT_TRUE(camera.init());
    EXPECT_EQ(board.journal(),
              (Journal{"resolution 1 1", "format 1 3", "framerate 1 12", "format 1 3", "framerate 1 12",
                       "brightness 1 10", "contrast 1 20", "sharpness 1 30", "color 1 40"}));
    EXPECT_EQ(camera.journal(), (Journal{"stopThread", "releaseImage", "releaseCodec", "image 704x288 3",
                                         "releaseCodec", "codec MPG4 1 -1", "quality 70"}));
    EXPECT_FALSE(camera.isReinitialising());
}

TEST_F(dvrCameraTest, ForcedSizeUsesTheDefaultSize) {
    set("resolution", 0);
    camera.getSettings()->setInt("force_size", 1);
    camera.clearJournal();
    camera.init();
    EXPECT_EQ(camera.journal()[3], "image 704x576 2");
}

TEST_F(dvrCameraTest, StartAndStopTouchTheInputOnlyWhileTheBoardCaptures) {
    camera.start();
    EXPECT_TRUE(camera.isStarted());
    camera.stop();
    EXPECT_FALSE(camera.isStarted());
    EXPECT_TRUE(board.journal().empty()); // the board was not capturing, so its input was never started
    EXPECT_EQ(camera.journal(), (Journal{"stopThread", "startThread", "stopThread"}));

    board.start();
    board.clearJournal();
    camera.start();
    camera.start(); // a second start stops the first
    camera.stop();
    camera.stop(); // stopping a stopped camera leaves the input alone
    EXPECT_EQ(board.journal(), (Journal{"startInput 1", "stopInput 1", "startInput 1", "stopInput 1"}));
}

TEST_F(dvrCameraTest, InitRestartsAStartedCamera) {
    startCapture();
    EXPECT_TRUE(camera.init());
    EXPECT_TRUE(camera.isStarted());
    Journal calls = board.journal();
    EXPECT_EQ(calls.front(), "stopInput 1");
    EXPECT_EQ(calls.back(), "startInput 1");

    camera.stop();
    board.clearJournal();
    EXPECT_TRUE(camera.init());
    EXPECT_FALSE(camera.isStarted());
    for (const std::string& call : board.journal())
        EXPECT_EQ(call.find("Input"), std::string::npos) << call;
}

TEST_F(dvrCameraTest, ReinitialisingSettingsRestartOnlyAStartedCamera) {
    for (const char* key : {"resolution", "format", "codec"}) {
        SCOPED_TRACE(key);
        int newValue = std::string(key) == "format" ? 3 : 1;
        camera.stop();
        camera.clearJournal();
        set(key, newValue);
        EXPECT_TRUE(camera.journal().empty());

        startCapture();
        set(key, std::string(key) == "format" ? 1 : 0);
        Journal calls = camera.journal();
        ASSERT_FALSE(calls.empty());
        EXPECT_NE(std::find(calls.begin(), calls.end(), "releaseImage"), calls.end());
        EXPECT_EQ(calls.back(), "startThread");
        EXPECT_TRUE(camera.isStarted());
        EXPECT_TRUE(commands.empty());
    }
}

TEST_F(dvrCameraTest, NeedRestartRestartsTheWholeCaptureThroughTheConsole) {
    camera.getSettings()->setInt("needrestart", 1);
    startCapture();
    set("codec", 1);
    EXPECT_EQ(commands, (std::vector<std::string>{"stop", "start"}));
    EXPECT_TRUE(camera.journal().empty());
}

TEST_F(dvrCameraTest, PictureControlsReachTheBoardInput) {
    struct Case {
        const char* key;
        int value;
        const char* call;
    } cases[] = {
        {"brightness", 100, "brightness 1 100"},
        {"contrast", -4, "contrast 1 0"},
        {"sharpness", 7, "sharpness 1 7"},
        {"color", 256, "color 1 255"},
        {"hue", 128, "hue 1 128"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        board.clearJournal();
        set(c.key, c.value);
        EXPECT_EQ(board.journal(), (Journal{c.call}));
    }
    EXPECT_EQ(value("hue"), 0); // no setting declares it
}

TEST_F(dvrCameraTest, QualityReachesTheCodecAtOnce) {
    set("compress", 80);
    set("quality", 5);
    EXPECT_EQ(camera.journal(), (Journal{"quality 80", "quality 10"}));
    EXPECT_EQ(value("compress"), 80);
}

TEST_F(dvrCameraTest, DomeSettingsRebuildTheDome) {
    set("dometype", 2);
    set("domeaddr", 12);
    set("domecom", "string", "COM2");
    EXPECT_EQ(camera.journal(), (Journal{"dome", "dome", "dome"}));
    EXPECT_EQ(set("domeaddr", 65), 0);
    EXPECT_EQ(set("dometype", 3), 0);
    EXPECT_EQ(value("domeaddr"), 12);
    EXPECT_EQ(value("dometype"), 2);
    EXPECT_EQ(camera.getSettings()->getText("domecom"), "COM2");
}

TEST_F(dvrCameraTest, MotionParametersFollowTheirSettings) {
    dvrMotionParameters::Values initial = camera.motionParameters();
    EXPECT_EQ(initial.sensitivityA, 4);
    EXPECT_EQ(initial.sensitivityB, 8);
    EXPECT_EQ(initial.noiseFilter, 5);
    EXPECT_EQ(initial.tolerance, 7);
    set("mot_sens1", 12);
    set("mot_sens2", 99);
    set("mot_edge", 6);
    set("mot_tol", 0);
    dvrMotionParameters::Values values = camera.motionParameters();
    EXPECT_EQ(values.sensitivityA, 12);
    EXPECT_EQ(values.sensitivityB, 32);
    EXPECT_EQ(values.noiseFilter, 6);
    EXPECT_EQ(values.tolerance, 1);
}

TEST_F(dvrCameraTest, LinesThatChangeNothing) {
    set("framerate", 12);
    set("compress", 70);
    struct Case {
        const char* line;
        const char* key;
        int unchanged;
    } cases[] = {
        {"get camera Gate framerate", "framerate", 12},
        {"get camera Gate compress", "compress", 70},
        {"set camera Gate framerate bogus 3", "framerate", 12},
        {"set camera Gate nosuchkey int 5", "nosuchkey", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(camera.applySet(dvrCommand::parse(c.line)), 1);
        EXPECT_EQ(value(c.key), c.unchanged);
    }
    EXPECT_EQ(camera.getSettings()->getText("nosuchkey"), "");
}

TEST_F(dvrCameraTest, AttachRefusesWhatItCannotReserve) {
    dvrRecordingCamera second(&board);
    second.getSettings()->setInt("noclosewindow", 1);
    for (int input : {1, -1, 4, 256, 100000}) {
        SCOPED_TRACE(input);
        EXPECT_FALSE(second.attach(input));
        EXPECT_EQ(second.getInput(), -1);
    }
    EXPECT_TRUE(second.attach(0));
    EXPECT_FALSE(second.attach(2)); // one camera, one input
    EXPECT_FALSE(board.isInputInUse(2));

    dvrCamera withoutBoard(nullptr);
    withoutBoard.getSettings()->setInt("noclosewindow", 1);
    EXPECT_FALSE(withoutBoard.attach(0));
    EXPECT_FALSE(withoutBoard.init());
}

TEST_F(dvrCameraTest, StatusValuesTheCameraPanelShows) {
    EXPECT_EQ(camera.getStatus(), dvrCamera::noStatus);
    struct Case {
        int status;
        bool shown;
    } cases[] = {{0, false}, {1, true}, {2, false},  {3, true},
                 {5, true},  {9, true}, {10, false}, {-1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        camera.setStatus(c.status);
        EXPECT_EQ(camera.getStatus(), c.status);
        EXPECT_EQ(dvrCamera::isShownStatus(c.status), c.shown);
    }
}

class EventRecorder : public dvrObserver {
public:
    ~EventRecorder() override { stopObserving(); }
    void onNotify(dvrNotifier* notifier, std::uint32_t events) override {
        dvrObserver::onNotify(notifier, events);
        if (events & dvrCamera::motionRecordingEvent)
            ++motionChanges;
    }
    int motionChanges = 0;
};

TEST_F(dvrCameraTest, IndicatorsAndWindowCount) {
    EventRecorder recorder;
    camera.addObserver(&recorder, dvrCamera::motionRecordingEvent);
    camera.setMotionRecording(true);
    camera.setMotionRecording(true);
    camera.setMotionRecording(false);
    EXPECT_EQ(recorder.motionChanges, 2); // only changes are announced

    camera.setPlaybackMode(true);
    EXPECT_TRUE(camera.isPlaybackMode());
    camera.setContinuousRecording(true);
    EXPECT_TRUE(camera.isContinuousRecording());

    camera.windowOpened();
    camera.windowOpened();
    camera.windowClosed();
    camera.windowClosed();
    camera.windowClosed(); // never below zero
    EXPECT_EQ(camera.openWindowCount(), 0);
    camera.windowOpened();
    EXPECT_EQ(camera.openWindowCount(), 1);
}

TEST_F(dvrCameraTest, GrabTakesTheCaptureTime) {
    EXPECT_EQ(camera.getCaptureTime().seconds, 0);
    std::int64_t before = std::time(nullptr);
    EXPECT_TRUE(camera.grab());
    dvrCamera::CaptureTime taken = camera.getCaptureTime();
    EXPECT_GE(taken.seconds, before);
    EXPECT_LE(taken.seconds, static_cast<std::int64_t>(std::time(nullptr)));
    EXPECT_GE(taken.milliseconds, 0);
    EXPECT_LE(taken.milliseconds, 999);
    EXPECT_EQ(camera.detectMotion(), 0);
}

} // namespace
