#include <gtest/gtest.h>

#include <string>

#include "codec/dvrCodec.h"
#include "console/dvrCommand.h"
#include "dvrBoard.h"
#include "dvrCamera.h"
#include "image/dvrImage.h"
#include "settings/dvrSettingSet.h"

// A camera's own image buffers and codec, made by its initialisation from its settings.
namespace {

class PlainBoard : public dvrBoard {
public:
    int getInputCount() const override { return 4; }
};

class SizedCamera : public dvrCamera {
public:
    explicit SizedCamera(dvrBoard* board) : dvrCamera(board) {
        addResolution(352, 288, "352x288");
        addResolution(176, 144, "176x144");
        declareResolutionSetting();
        addSupportedFormat(dvrImage::formatUYVY);
        declareFormatSetting();
        setDefaultSize(352, 288);
    }
};

class dvrCameraImageTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(camera.attach(1)); }
    PlainBoard board;
    SizedCamera camera{&board};
};

TEST_F(dvrCameraImageTest, InitMakesBuffersOfTheResolutionWithTheMaskAndTheCodec) {
    dvrSettingSet* settings = camera.getSettings();
    settings->setInt("resolution", 1);
    settings->setText("mask0", "B" + std::string(263, 'A'));
    ASSERT_TRUE(camera.init());
    dvrImage* image = camera.getImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width(), 176);
    EXPECT_EQ(image->height(), 144);
    EXPECT_EQ(image->format(), dvrImage::formatUYVY);
    EXPECT_EQ(image->maskCell(0, 0), 1);
    EXPECT_EQ(image->maskCell(1, 0), 0);
    ASSERT_NE(camera.getCodec(), nullptr);
    EXPECT_EQ(camera.getCodec()->code(), "MPG4");
    EXPECT_TRUE(camera.getCodec()->isOpen());
    EXPECT_TRUE(camera.getCodec()->compress());
    EXPECT_GT(image->compressedSize(), 0u);
}

TEST_F(dvrCameraImageTest, CodecFollowsTheCodecSetting) {
    struct Case {
        int codec;
        const char* code; // "" for no codec
    } cases[] = {{0, "MPG4"}, {1, "MJPG"}, {5, "THEO"}, {-1, ""}, {77, "MPG4"}};
    for (const Case& c : cases) {
        camera.getSettings()->setInt("codec", c.codec);
        ASSERT_TRUE(camera.init()) << c.codec;
        if (*c.code) {
            ASSERT_NE(camera.getCodec(), nullptr) << c.codec;
            EXPECT_EQ(camera.getCodec()->code(), c.code);
        } else {
            EXPECT_EQ(camera.getCodec(), nullptr) << "no compression";
        }
    }
}

// One cell changed by 100 is below the default tolerance; by 200 it is above it. Whether a
// second change of 100 adds up to motion tells whether the reference was kept.
TEST_F(dvrCameraImageTest, MotionRefreshesTheReferenceAsTheDetectionTypeSays) {
    ASSERT_TRUE(camera.init());
    dvrImage* image = camera.getImage();
    auto changeCell = [&](int delta) {
        std::uint8_t* frame = image->captureBuffer();
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                frame[(y * 352 + x) * 2 + 1] = static_cast<std::uint8_t>(frame[(y * 352 + x) * 2 + 1] + delta);
    };
    // "Normal": the reference stays until motion is found.
    changeCell(100);
    EXPECT_EQ(camera.detectMotion(), 0);
    changeCell(100);
    EXPECT_GT(camera.detectMotion(), 0);
    EXPECT_EQ(camera.detectMotion(), 0); // motion made the newest frame the reference

    // "Light change filter": every frame becomes the reference.
    camera.applySet(dvrCommand::parse("set camera c md_type int 1"));
    changeCell(-100);
    EXPECT_EQ(camera.detectMotion(), 0);
    changeCell(-100);
    EXPECT_EQ(camera.detectMotion(), 0);
}

} // namespace
