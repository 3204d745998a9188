#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "codec/dvrCodec.h"
#include "codec/dvrCodec_ffmpeg.h"
#include "codec/dvrCodec_theora.h"
#include "dvrCapturedLog.h"
#include "image/dvrImage.h"
#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingSet.h"

namespace {

struct FactoryCase {
    const char* asked;
    bool made;
    const char* code; // the code the codec reports
};

TEST(CodecFactory, MakesTheKindOfEachCodeAndNothingForOthers) {
    const FactoryCase cases[] = {
        {"MPG4", true, "MPG4"}, {"MPG2", true, "MPG2"}, {"MPG1", true, "MPG1"}, {"MJPG", true, "MJPG"},
        {"H263", true, "NULL"}, {"THEO", true, "THEO"}, {"NULL", false, ""},    {"mpg4", false, ""},
        {"MPG", false, ""},     {"MPG4 ", false, ""},   {"", false, ""},        {"XVID", false, ""},
    };
    dvrImage image(352, 288, dvrImage::formatUYVY, 2);
    for (const FactoryCase& c : cases) {
        std::unique_ptr<dvrCodec> codec = dvrCodec::create(c.asked, &image, dvrCodec::modeEncoder, -1);
        EXPECT_EQ(codec != nullptr, c.made) << c.asked;
        if (codec) {
            EXPECT_EQ(codec->code(), c.code) << c.asked;
            EXPECT_FALSE(codec->isOpen()) << c.asked;
        }
    }
    EXPECT_NE(dynamic_cast<dvrCodec_theora*>(dvrCodec::create("THEO", &image, 1, -1).get()), nullptr);
    auto h263 = dvrCodec::create("H263", &image, 1, -1);
    ASSERT_NE(dynamic_cast<dvrCodec_ffmpeg*>(h263.get()), nullptr);
    EXPECT_EQ(static_cast<dvrCodec_ffmpeg*>(h263.get())->type(), dvrCodec_ffmpeg::typeH263);
}

TEST(CodecBase, StartsWithDefaultsAndAnswersTrueFalseFalse) {
    dvrImage image(64, 48, dvrImage::formatUYVY, 2);
    dvrCodec codec(&image, dvrCodec::modeEncoder | dvrCodec::modeDecoder);
    EXPECT_EQ(codec.code(), "NULL");
    EXPECT_EQ(codec.quality(), 80);
    EXPECT_EQ(codec.frameRate(), 25);
    EXPECT_EQ(codec.keyFrameInterval(), 0);
    EXPECT_TRUE(codec.wantsEncoder());
    EXPECT_TRUE(codec.wantsDecoder());
    EXPECT_TRUE(codec.open());
    EXPECT_FALSE(codec.compress());
    EXPECT_FALSE(codec.decompress());
    EXPECT_EQ(codec.image(), &image);
}

TEST(CodecBase, QualityAndFrameRateSettersRejectValuesOutOfRange) {
    struct SetterCase {
        int value;
        bool accepted;
    };
    const SetterCase qualities[] = {{150, false}, {101, false}, {-1, false},
                                    {100, true},  {0, true},    {55, true}};
    const SetterCase rates[] = {{0, false}, {31, false}, {-5, false}, {30, true}, {1, true}, {12, true}};
    dvrImage image(64, 48, dvrImage::formatUYVY, 2);
    dvrCodec codec(&image, dvrCodec::modeEncoder);
    for (const SetterCase& c : qualities) {
        const int before = codec.quality();
        EXPECT_EQ(codec.setQuality(c.value), c.accepted) << c.value;
        EXPECT_EQ(codec.quality(), c.accepted ? c.value : before) << c.value;
    }
    for (const SetterCase& c : rates) {
        const int before = codec.frameRate();
        EXPECT_EQ(codec.setFrameRate(c.value), c.accepted) << c.value;
        EXPECT_EQ(codec.frameRate(), c.accepted ? c.value : before) << c.value;
    }
}

TEST(CodecBase, KeyFrameIntervalIsKeptWithinItsBounds) {
    dvrImage image(64, 48, dvrImage::formatUYVY, 2);
    dvrCodec codec(&image, dvrCodec::modeEncoder);
    const std::pair<int, int> cases[] = {
        {0, 1}, {-3, 1}, {7, 7}, {100000, dvrCodec::maximumKeyFrameInterval}};
    for (auto [given, kept] : cases) {
        codec.setKeyFrameInterval(given);
        EXPECT_EQ(codec.keyFrameInterval(), kept) << given;
    }
}

class CodecKeyInterval : public testing::Test {
protected:
    void TearDown() override { dvrGlobalSettings::destroy(); }
};

TEST_F(CodecKeyInterval, ComesFromTheGlobalSettingOrFiveWithoutIt) {
    dvrImage image(64, 48, dvrImage::formatUYVY, 2);
    EXPECT_EQ(dvrCodec::create("MPG4", &image, 1, -1)->keyFrameInterval(), 5);
    dvrGlobalSettings::create();
    dvrGlobalSettings::applyDefaults();
    dvrGlobalSettings::instance()->setInt("keyinterval", 8);
    EXPECT_EQ(dvrCodec::create("MPG4", &image, 1, -1)->keyFrameInterval(), 8);
    EXPECT_EQ(dvrCodec::create("THEO", &image, 1, -1)->keyFrameInterval(), 8);
    // MJPEG frames are all key frames whatever the setting says.
    EXPECT_EQ(dvrCodec::create("MJPG", &image, 1, -1)->keyFrameInterval(), 1);
    EXPECT_EQ(dvrCodec::create("H263", &image, 1, -1)->keyFrameInterval(), 1);
    // An interval given to create replaces the setting.
    EXPECT_EQ(dvrCodec::create("MPG2", &image, 1, 3)->keyFrameInterval(), 3);
}

// Every kind fails honestly, writing nothing, whenever it cannot do the work.
TEST(CodecFailures, EveryKindFailsWithoutImageOpeningOrSupportedFormat) {
    for (const char* code : {"MPG4", "MPG2", "MPG1", "MJPG", "THEO"}) {
        SCOPED_TRACE(code);
        {
            // Not opened.
            dvrImage image(64, 48, dvrImage::formatUYVY, 2);
            auto codec = dvrCodec::create(code, &image, dvrCodec::modeEncoder | dvrCodec::modeDecoder, 5);
            EXPECT_FALSE(codec->compress());
            EXPECT_FALSE(codec->decompress());
        }
        {
            // The image went away: the codec forgets it and fails from then on.
            auto image = std::make_unique<dvrImage>(64, 48, dvrImage::formatUYVY, 2);
            auto codec =
                dvrCodec::create(code, image.get(), dvrCodec::modeEncoder | dvrCodec::modeDecoder, 5);
            ASSERT_TRUE(codec->open());
            image.reset();
            EXPECT_EQ(codec->image(), nullptr);
            EXPECT_FALSE(codec->compress());
            EXPECT_FALSE(codec->decompress());
            EXPECT_FALSE(codec->open());
        }
        {
            // A decoder-only codec does not compress; an encoder-only one does not decompress.
            dvrImage image(64, 48, dvrImage::formatUYVY, 2);
            auto decoder = dvrCodec::create(code, &image, dvrCodec::modeDecoder, 5);
            ASSERT_TRUE(decoder->open());
            EXPECT_FALSE(decoder->compress());
            auto encoder = dvrCodec::create(code, &image, dvrCodec::modeEncoder, 5);
            ASSERT_TRUE(encoder->open());
            ASSERT_TRUE(encoder->compress());
            EXPECT_FALSE(encoder->decompress());
        }
        {
            // Planar images are not taken by the encoders; decoders write only UYVY.
            dvrImage planar(64, 48, dvrImage::formatPlanar420, 2);
            dvrCapturedLog log;
            EXPECT_FALSE(dvrCodec::create(code, &planar, dvrCodec::modeEncoder, 5)->open());
            EXPECT_TRUE(log.contains("image format 9 cannot be compressed")) << log.all();
            dvrImage rgb(64, 48, dvrImage::formatRGB24, 2);
            auto decoder = dvrCodec::create(code, &rgb, dvrCodec::modeDecoder, 5);
            ASSERT_TRUE(decoder->open());
            rgb.setCompressed(100, true);
            EXPECT_FALSE(decoder->decompress());
        }
        {
            // Odd sizes do not fit the chroma planes.
            dvrImage odd(63, 47, dvrImage::formatUYVY, 2);
            dvrCapturedLog log;
            EXPECT_FALSE(dvrCodec::create(code, &odd, dvrCodec::modeEncoder, 5)->open());
            EXPECT_TRUE(log.contains("picture size 63x47 cannot be compressed")) << log.all();
        }
    }
}

TEST(CodecFailures, NoCompressedDataDecodesToNothing) {
    for (const char* code : {"MPG4", "MPG2", "MPG1", "MJPG"}) {
        dvrImage image(64, 48, dvrImage::formatUYVY, 2);
        auto decoder = dvrCodec::create(code, &image, dvrCodec::modeDecoder, 5);
        ASSERT_TRUE(decoder->open()) << code;
        image.setCompressed(0, false);
        EXPECT_FALSE(decoder->decompress()) << code;
    }
}

TEST(CodecOpen, ReopeningStartsAFreshCodec) {
    for (const char* code : {"MPG4", "MJPG", "THEO"}) {
        dvrImage image(64, 48, dvrImage::formatUYVY, 2);
        auto codec = dvrCodec::create(code, &image, dvrCodec::modeEncoder, 5);
        ASSERT_TRUE(codec->open()) << code;
        ASSERT_TRUE(codec->compress()) << code;
        ASSERT_TRUE(codec->compress()) << code;
        ASSERT_TRUE(codec->open()) << code;
        ASSERT_TRUE(codec->compress()) << code;
        // The first frame after opening is a key frame.
        EXPECT_TRUE(image.isKeyFrame()) << code;
    }
}

// Capture threads open, use and close their codecs at the same time; the library's opening and
// closing are kept apart by the process-wide codec lock.
TEST(CodecThreads, CodecsOfManyCamerasOpenCompressAndCloseAtOnce) {
    std::vector<std::thread> cameras;
    std::vector<int> failures(4, 0);
    for (int camera = 0; camera < 4; ++camera)
        cameras.emplace_back([camera, &failures] {
            const char* codes[] = {"MPG4", "MJPG", "MPG2", "THEO"};
            for (int round = 0; round < 3; ++round) {
                dvrImage image(96, 64, dvrImage::formatUYVY, 2);
                auto codec =
                    dvrCodec::create(codes[camera], &image, dvrCodec::modeEncoder | dvrCodec::modeDecoder, 5);
                if (!codec->open())
                    ++failures[camera];
                for (int frame = 0; frame < 3; ++frame)
                    if (!codec->compress() || !codec->decompress())
                        ++failures[camera];
            }
        });
    for (std::thread& camera : cameras)
        camera.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

} // namespace
