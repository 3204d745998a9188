#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>

#include "console/dvrConsole.h"
#include "dvrBoardContainer.h"
#include "dvrCamera.h"
#include "dvrCameraContainer.h"
#include "dvrCapturedLog.h"
#include "dvrCore.h"
#include "dvrHeadlessRecorder.h"
#include "dvrInProcessRecorderTest.h"
#include "dvrInputPipe.h"
#include "dvrTemporaryDirectory.h"
#include "settings/dvrSettingSet.h"

// The headless recorder capturing from the simulated capture card, in the test process.
namespace {

using dvrCaptureRecorderTest = dvrInProcessRecorderTest;

TEST_F(dvrCaptureRecorderTest, AFreshRecorderAddsTheCaptureBoardAndCamerasOfTheFirstTask) {
    dvrInputPipe input;
    input.write("quit\n");
    dvrHeadlessRecorder recorder(input.reader(), inProcess());
    ASSERT_TRUE(recorder.startUp());
    dvrCore* core = dvrCore::instance();
    ASSERT_NE(core, nullptr);
    ASSERT_NE(core->boards().findBoardExactly("XeCap1"), nullptr);
    EXPECT_EQ(core->cameras().cameras().size(), 16u);
    for (int number = 1; number <= 16; ++number) {
        dvrCamera* camera = core->findCamera("XeCap1_" + std::to_string(number));
        ASSERT_NE(camera, nullptr) << number;
        EXPECT_EQ(camera->getInput(), number - 1);
        EXPECT_EQ(camera->getSettings()->getInt("framerate"), 6);
    }
    EXPECT_TRUE(log.contains("Select tasks to run: [Add a XeCap100 board and 16 cameras]")) << log.all();
    EXPECT_EQ(recorder.runUntilQuit(), 0);
    recorder.shutDown();
}

TEST_F(dvrCaptureRecorderTest, CamerasKeepTheirFrameRateAndStopWithinASecond) {
    directory.write("settings.mrd", "set global global firstrun int 0\n"
                                    "addcard xecap Simulated\n"
                                    "addcamera Simulated 0 Gate 10\n"
                                    "set camera Gate framerate int 10\n"
                                    "addcamera Simulated 1 Hall 5\n"
                                    "set camera Hall framerate int 5\n");
    dvrInputPipe input;
    dvrHeadlessRecorder recorder(input.reader(), inProcess());
    ASSERT_TRUE(recorder.startUp());
    std::thread mainLoop([&] { recorder.runUntilQuit(); });

    dvrCore* core = dvrCore::instance();
    dvrCamera* gate = core->findCamera("Gate");
    dvrCamera* hall = core->findCamera("Hall");
    ASSERT_NE(gate, nullptr);
    ASSERT_NE(hall, nullptr);
    // The meter gives its first figure after five seconds.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while ((gate->statistics().measuredFramerate() == 0 || hall->statistics().measuredFramerate() == 0) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    float gateRate = gate->statistics().measuredFramerate();
    float hallRate = hall->statistics().measuredFramerate();
    input.write("quit\n");
    mainLoop.join();

    EXPECT_NEAR(gateRate, 10.0f, 1.0f);
    EXPECT_NEAR(hallRate, 5.0f, 0.5f);
    EXPECT_TRUE(log.contains("[CAPTURE] Camera Gate captures 352 x 288 pictures.")) << log.all();
    // Input 1 of the simulated card shows moving objects, input 2 still ones.
    EXPECT_TRUE(log.contains("[CAPTURE] Motion recorded on camera Gate."));
    EXPECT_FALSE(log.contains("Motion recorded on camera Hall"));

    ASSERT_TRUE(gate->isCapturing());
    ASSERT_TRUE(hall->isCapturing());
    auto stopping = std::chrono::steady_clock::now();
    dvrConsole::instance()->run("stop");
    auto stopped = std::chrono::steady_clock::now() - stopping;
    EXPECT_FALSE(gate->isCapturing());
    EXPECT_FALSE(hall->isCapturing());
    EXPECT_LT(stopped, std::chrono::seconds(1));
    recorder.shutDown();
}

} // namespace
