#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "codec/dvrCodec.h"
#include "codec/dvrFfmpegEncoder.h"
#include "dvrCapturedLog.h"
#include "dvrPsnr.h"
#include "dvrSyntheticScene.h"
#include "image/dvrImage.h"

namespace {

TEST(FfmpegBitRate, IsComputedIn64BitsForWidePictures) {
    struct BitRateCase {
        int width;
        int quality;
        std::int64_t bitsPerSecond; // width x quality x 180
    };
    const BitRateCase cases[] = {
        {352, 80, 5068800},
        {704, 100, 12672000},
        {1920, 100, 34560000},
        {8192, 100, 147456000},
        // Quality 0 still asks the rate control for something.
        {352, 0, 63360},
    };
    for (const BitRateCase& c : cases)
        EXPECT_EQ(dvrFfmpegEncoder::bitRate(c.width, c.quality), c.bitsPerSecond)
            << c.width << " " << c.quality;
}

void fillWithNoise(dvrImage& image, unsigned seed) {
    std::mt19937 random(seed);
    std::uint8_t* pixels = image.captureBuffer();
    for (std::size_t i = 0; i < image.frameSize(); ++i)
        pixels[i] = static_cast<std::uint8_t>(random());
}

TEST(FfmpegCompressedBuffer, AFrameLargerThanTheBufferIsRefusedWithALogLine) {
    // Noise at full quality does not compress into 256 KiB at this size.
    dvrImage image(2048, 2048, dvrImage::formatUYVY, 2);
    auto codec = dvrCodec::create("MJPG", &image, dvrCodec::modeEncoder, -1);
    ASSERT_TRUE(codec->setQuality(100));
    ASSERT_TRUE(codec->open());
    fillWithNoise(image, 1);
    image.setCompressed(1234, false);
    dvrCapturedLog log;
    EXPECT_FALSE(codec->compress());
    EXPECT_TRUE(log.contains("does not fit into 262144 bytes")) << log.all();
    // The earlier frame's size and flag are left as they were.
    EXPECT_EQ(image.compressedSize(), 1234u);
    EXPECT_FALSE(image.isKeyFrame());
}

// The buffer keeps its size of 262144 bytes, which stored recordings rely on. At 1920 x 1080 and
// full quality the textured test picture compresses to about 260000 bytes and fits; a picture with
// more detail may not, and is then refused like noise, never cut or copied past the buffer.
TEST(FfmpegCompressedBuffer, MotionJpegAt1920x1080FullQualityFitsOrIsRefused) {
    dvrImage image(1920, 1080, dvrImage::formatUYVY, 2);
    dvrImage shown(1920, 1080, dvrImage::formatUYVY, 2);
    auto encoder = dvrCodec::create("MJPG", &image, dvrCodec::modeEncoder, -1);
    auto decoder = dvrCodec::create("MJPG", &shown, dvrCodec::modeDecoder, -1);
    ASSERT_TRUE(encoder->setQuality(100));
    ASSERT_TRUE(encoder->open());
    ASSERT_TRUE(decoder->open());
    dvrSyntheticScene scene(1920, 1080);
    std::size_t largest = 0;
    for (int frame = 0; frame < 3; ++frame) {
        scene.draw(image, frame);
        image.setCompressed(0, false);
        dvrCapturedLog log;
        if (!encoder->compress()) {
            EXPECT_TRUE(log.contains("does not fit into 262144 bytes")) << log.all();
            EXPECT_EQ(image.compressedSize(), 0u);
            continue;
        }
        largest = std::max(largest, image.compressedSize());
        std::copy_n(image.compressedBuffer(), image.compressedSize(), shown.compressedBuffer());
        shown.setCompressed(image.compressedSize(), true);
        ASSERT_TRUE(decoder->decompress());
        std::vector<std::uint8_t> expected = scene.uyvy(frame);
        EXPECT_GE(dvrPsnr(expected.data(), shown.captureBuffer(), expected.size()), 42.0);
    }
    RecordProperty("largest_frame_bytes", std::to_string(largest));

    fillWithNoise(image, 2);
    dvrCapturedLog log;
    EXPECT_FALSE(encoder->compress());
    EXPECT_TRUE(log.contains("does not fit into 262144 bytes")) << log.all();
}

double meanSize(dvrCodec& codec, dvrImage& image, const dvrSyntheticScene& scene, int first, int count) {
    double total = 0;
    for (int frame = first; frame < first + count; ++frame) {
        scene.draw(image, frame);
        EXPECT_TRUE(codec.compress());
        total += static_cast<double>(image.compressedSize());
    }
    return total / count;
}

TEST(CodecQuality, AChangeTakesEffectWithoutTheCallerReopening) {
    for (const char* code : {"MPG4", "MJPG", "THEO"}) {
        SCOPED_TRACE(code);
        dvrImage image(352, 288, dvrImage::formatUYVY, 2);
        auto codec = dvrCodec::create(code, &image, dvrCodec::modeEncoder, 5);
        ASSERT_TRUE(codec->setQuality(100));
        ASSERT_TRUE(codec->open());
        dvrSyntheticScene scene(352, 288);
        const double high = meanSize(*codec, image, scene, 0, 20);
        ASSERT_TRUE(codec->setQuality(1));
        meanSize(*codec, image, scene, 20, 10); // the rate control settles
        const double low = meanSize(*codec, image, scene, 30, 20);
        EXPECT_LT(low, high * 0.8) << "high " << high << " low " << low;
    }
}

} // namespace
