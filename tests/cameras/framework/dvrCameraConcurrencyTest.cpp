#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "console/dvrCommand.h"
#include "dvrRecordingBoard.h"
#include "dvrRecordingCamera.h"
#include "settings/dvrSettingSet.h"

namespace {

// One thread plays the GUI thread and changes settings through setting lines; another plays a
// capture thread and reads them. Every read must be one whole value that was written.
TEST(dvrCameraConcurrencyTest, CaptureThreadNeverSeesATornValue) {
    dvrRecordingBoard board;
    dvrRecordingCamera camera(&board);
    camera.getSettings()->setInt("noclosewindow", 1);
    ASSERT_TRUE(camera.attach(0));
    camera.setName("Gate");

    const std::string first(400, 'a');
    const std::string second = std::string(200, 'b') + " " + std::string(199, 'c');
    camera.applySet(dvrCommand::parse("set camera Gate recordbyrule string " + first));

    std::atomic<bool> writing{true};
    std::atomic<int> torn{0};
    std::atomic<int> badMotion{0};
    std::atomic<int> badFramerate{0};
    std::thread capture([&] {
        // At least one pass, however fast the writer is.
        do {
            std::string rule = camera.getSettings()->getText("recordbyrule");
            if (rule != first && rule != second)
                ++torn;
            dvrMotionParameters::Values motion = camera.motionParameters();
            if (motion.sensitivityA != 3 && motion.sensitivityA != 9 && motion.sensitivityA != 4)
                ++badMotion;
            int framerate = camera.getSettings()->getInt("framerate");
            if (framerate < 1 || framerate > 25)
                ++badFramerate;
            camera.grab();
        } while (writing);
    });
    for (int round = 0; round < 2000; ++round) {
        const std::string& value = round % 2 ? first : second;
        camera.applySet(dvrCommand::parse("set camera Gate recordbyrule string " + value));
        camera.applySet(
            dvrCommand::parse(std::string("set camera Gate mot_sens1 int ") + (round % 2 ? "3" : "9")));
        camera.applySet(
            dvrCommand::parse(std::string("set camera Gate framerate int ") + (round % 2 ? "99" : "0")));
        camera.setStatus(round % 2 ? dvrCamera::imagesArriving : dvrCamera::connecting);
    }
    writing = false;
    capture.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(badMotion, 0);
    EXPECT_EQ(badFramerate, 0);
}

// The capture thread counts frames while the GUI thread reads the figures.
TEST(dvrCameraConcurrencyTest, StatisticsCountEveryFrameOfEveryThread) {
    dvrCameraStatistics statistics;
    constexpr int framesPerThread = 5000;
    std::thread first([&] {
        for (int frame = 0; frame < framesPerThread; ++frame) {
            statistics.countGrabbed();
            if (frame % 2 == 0)
                statistics.countRecorded();
        }
    });
    std::thread second([&] {
        for (int frame = 0; frame < framesPerThread; ++frame)
            statistics.countGrabbed();
    });
    int percent = 0;
    for (int read = 0; read < 1000; ++read)
        percent = std::max(percent, statistics.recordedPercent());
    first.join();
    second.join();
    EXPECT_EQ(statistics.framesGrabbed(), 2 * framesPerThread);
    EXPECT_EQ(statistics.framesRecorded(), framesPerThread / 2);
    EXPECT_EQ(statistics.recordedPercent(), 25);
    EXPECT_LE(percent, 100);
}

} // namespace
