#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "console/dvrCommand.h"
#include "dvrCapturedLog.h"
#include "dvrXecapTestDriver.h"
#include "image/dvrImage.h"
#include "xecap/dvrBoard_xecap.h"
#include "xecap/dvrCamera_xecap.h"

namespace {

void set(dvrObject& object, const char* scope, const std::string& key, int value) {
    object.applySet(
        dvrCommand::parse(std::string("set ") + scope + " x " + key + " int " + std::to_string(value)));
}

// A board with cameras on the given inputs, initialised and capturing; the capture threads'
// part (wait, then grab) is played by the test.
struct CapturingBoard {
    CapturingBoard(const std::vector<int>& inputs, int framerate) {
        EXPECT_TRUE(board.open());
        for (int input : inputs) {
            cameras.push_back(std::make_unique<dvrCamera_xecap>(&board));
            dvrCamera_xecap& camera = *cameras.back();
            EXPECT_TRUE(camera.attach(input));
            camera.setName("camera " + std::to_string(input));
            set(camera, "camera", "framerate", framerate);
            set(camera, "camera", "codec", -1);
            EXPECT_TRUE(camera.init());
        }
        EXPECT_TRUE(board.start());
    }

    dvrBoard_xecap board;
    std::vector<std::unique_ptr<dvrCamera_xecap>> cameras;
};

TEST(dvrCameraXecapCaptureTest, GrabCopiesTheWaitedPictureOnlyOnce) {
    dvrCapturedLog log;
    dvrXecapTestDriver driver;
    CapturingBoard capture({0}, 5);
    dvrCamera_xecap& camera = *capture.cameras[0];
    EXPECT_FALSE(camera.grab()) << "no picture waited for";
    driver.card().advanceFrames(25);
    ASSERT_TRUE(camera.waitForFrame(0));
    std::lock_guard<std::recursive_mutex> guard(camera.imageLock());
    dvrImage* image = camera.getImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width(), 352);
    EXPECT_EQ(image->height(), 288);
    ASSERT_TRUE(camera.grab());
    const std::uint8_t* pixels = image->captureBuffer();
    // The input number plate in the top left corner is dark, the picture below it is not.
    EXPECT_LT(pixels[1], 40);
    EXPECT_GT(pixels[(100 * 352 + 300) * 2 + 1], 60);
    EXPECT_FALSE(camera.grab()) << "the same picture is not grabbed twice";
}

TEST(dvrCameraXecapCaptureTest, MotionDetectionSeesMovingInputsAndNotStillOnes) {
    dvrCapturedLog log;
    dvrXecapTestDriver driver;
    CapturingBoard capture({0, 1, 2}, 5);
    driver.card().setMotionInputs(0x5); // inputs 0 and 2 move, 1 stands still
    for (int second = 0; second < 6; ++second) {
        driver.card().advanceFrames(25);
        for (int input = 0; input < 3; ++input) {
            dvrCamera_xecap& camera = *capture.cameras[static_cast<std::size_t>(input)];
            ASSERT_TRUE(camera.waitForFrame(0));
            ASSERT_TRUE(camera.grab());
            int motion = camera.detectMotion();
            // The first picture is compared with the black reference of a new image.
            if (second == 0)
                continue;
            if (input == 1) {
                EXPECT_EQ(motion, 0) << "second " << second;
            } else {
                EXPECT_GT(motion, 0) << "input " << input << " second " << second;
            }
        }
    }
    // Motion can be switched per input while capturing.
    driver.card().setMotionInputs(0x2);
    for (int second = 0; second < 3; ++second) {
        driver.card().advanceFrames(25);
        dvrCamera_xecap& still = *capture.cameras[0];
        dvrCamera_xecap& moving = *capture.cameras[1];
        ASSERT_TRUE(still.waitForFrame(0) && still.grab());
        ASSERT_TRUE(moving.waitForFrame(0) && moving.grab());
        int stillMotion = still.detectMotion();
        if (second > 0) {
            EXPECT_EQ(stillMotion, 0);
        }
        EXPECT_GT(moving.detectMotion(), 0);
    }
}

TEST(dvrCameraXecapCaptureTest, TwoCardsCaptureAtOnce) {
    dvrCapturedLog log;
    dvrXecapTestDriver driver;
    CapturingBoard first({0}, 25);
    CapturingBoard second({3}, 25);
    ASSERT_EQ(second.board.cardIndex(), 1);
    set(first.board, "board", "multicard", 1);
    set(second.board, "board", "multicard", 1);

    constexpr int framesEach = 20;
    std::atomic<int> finished{0};
    auto captureLoop = [&finished](dvrCamera_xecap& camera) {
        int grabbed = 0;
        while (grabbed < framesEach) {
            if (!camera.waitForFrame(50))
                continue;
            if (camera.grab())
                ++grabbed;
        }
        ++finished;
    };
    std::thread one(captureLoop, std::ref(*first.cameras[0]));
    std::thread two(captureLoop, std::ref(*second.cameras[0]));
    // The cards move on, one frame at a time, until both cameras have their pictures.
    while (finished < 2) {
        driver.card(0).advanceFrames(1);
        driver.card(1).advanceFrames(1);
        std::this_thread::yield();
    }
    one.join();
    two.join();
    EXPECT_GE(driver.card(0).picturesDelivered(0), static_cast<std::uint64_t>(framesEach));
    EXPECT_GE(driver.card(1).picturesDelivered(3), static_cast<std::uint64_t>(framesEach));
    EXPECT_EQ(driver.card(0).picturesDelivered(3), 0u);
}

TEST(dvrCameraXecapCaptureTest, CaptureThreadsFindMotionOnlyOnMovingInputs) {
    dvrCapturedLog log;
    dvrXecapTestDriver driver;
    CapturingBoard capture({0, 1}, 25);
    driver.card().setMotionInputs(0x1);
    dvrCamera_xecap& moving = *capture.cameras[0];
    dvrCamera_xecap& still = *capture.cameras[1];
    moving.start();
    still.start();
    // The next frame passes once both threads have taken their pictures, so every grab sees the
    // boxes one step further; until each thread has grabbed a few pictures after its first.
    dvrXecapSimulatedCard& card = driver.card();
    while (moving.statistics().framesGrabbed() < 4 || still.statistics().framesGrabbed() < 4) {
        bool taken = card.lastPictureTaken(0) == card.picturesDelivered(0) &&
                     card.lastPictureTaken(1) == card.picturesDelivered(1);
        if (taken)
            card.advanceFrames(1);
        std::this_thread::yield();
    }
    moving.stop();
    still.stop();
    EXPECT_GT(moving.statistics().lastMotion(), 0);
    EXPECT_EQ(still.statistics().lastMotion(), 0);
    EXPECT_FALSE(driver.card().isTransferOn(0)) << "stopping the camera stops its input";
}

TEST(dvrCameraXecapCaptureTest, TheDefaultCardDeliversInRealTime) {
    dvrCapturedLog log;
    dvrXecapDriver::use(nullptr);
    {
        CapturingBoard capture({2}, 25);
        dvrCamera_xecap& camera = *capture.cameras[0];
        int grabbed = 0;
        // Generous: the card's own thread delivers 25 a second.
        for (int attempt = 0; attempt < 200 && grabbed < 3; ++attempt)
            if (camera.waitForFrame(100) && camera.grab())
                ++grabbed;
        EXPECT_EQ(grabbed, 3);
    }
    dvrXecapDriver::use(nullptr);
}

} // namespace
