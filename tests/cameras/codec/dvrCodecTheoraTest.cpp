#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "codec/dvrCodec_theora.h"
#include "dvrCapturedLog.h"
#include "dvrPsnr.h"
#include "dvrSyntheticScene.h"
#include "image/dvrImage.h"
#include "log/dvrLog.h"

namespace {

TEST(TheoraGeometry, PadsToWholeBlocksAndCentresThePictureOnEvenOffsets) {
    struct GeometryCase {
        int width, height;
        int paddedWidth, paddedHeight, offsetX, offsetY;
    };
    const GeometryCase cases[] = {
        {352, 288, 352, 288, 0, 0},     {180, 144, 192, 144, 6, 0}, {176, 120, 176, 128, 0, 4},
        {1920, 1080, 1920, 1088, 0, 4}, {170, 100, 176, 112, 2, 6}, {2, 2, 16, 16, 6, 6},
    };
    for (const GeometryCase& c : cases) {
        dvrCodec_theora::FrameGeometry g = dvrCodec_theora::geometryFor(c.width, c.height);
        EXPECT_EQ(g.paddedWidth, c.paddedWidth) << c.width << "x" << c.height;
        EXPECT_EQ(g.paddedHeight, c.paddedHeight) << c.width << "x" << c.height;
        EXPECT_EQ(g.offsetX, c.offsetX) << c.width << "x" << c.height;
        EXPECT_EQ(g.offsetY, c.offsetY) << c.width << "x" << c.height;
    }
    dvrImage image(180, 144, dvrImage::formatUYVY, 2);
    dvrCodec_theora codec(&image, dvrCodec::modeEncoder);
    ASSERT_TRUE(codec.open());
    EXPECT_EQ(codec.geometry().paddedWidth, 192);
    EXPECT_EQ(codec.geometry().offsetX, 6);
}

TEST(TheoraGranule, DecoderPacketsCarryTheGranuleSequence) {
    const std::vector<std::int64_t> expected = {0, 1, 2, 3, 4, 40, 41, 42, 43, 44, 80, 81, 82};
    std::int64_t position = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(position, expected[i]) << "packet " << i;
        position = dvrCodec_theora::nextGranulePosition(position);
    }

    // The same sequence through a decoding codec, one compressed frame after another.
    dvrImage source(64, 48, dvrImage::formatUYVY, 2);
    dvrImage shown(64, 48, dvrImage::formatUYVY, 2);
    dvrCodec_theora encoder(&source, dvrCodec::modeEncoder);
    dvrCodec_theora decoder(&shown, dvrCodec::modeDecoder);
    ASSERT_TRUE(encoder.open());
    ASSERT_TRUE(decoder.open());
    dvrSyntheticScene scene(64, 48);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(decoder.granulePosition(), expected[i]) << "packet " << i;
        scene.draw(source, static_cast<int>(i));
        ASSERT_TRUE(encoder.compress());
        std::copy_n(source.compressedBuffer(), source.compressedSize(), shown.compressedBuffer());
        shown.setCompressed(source.compressedSize(), source.isKeyFrame());
        ASSERT_TRUE(decoder.decompress());
    }
    // Opening again starts over.
    ASSERT_TRUE(decoder.open());
    EXPECT_EQ(decoder.granulePosition(), 0);
}

TEST(TheoraCompress, LogsEachPacketAndKeepsTheHeadersOutOfTheFrames) {
    dvrImage image(64, 48, dvrImage::formatUYVY, 2);
    dvrCodec_theora codec(&image, dvrCodec::modeEncoder);
    ASSERT_TRUE(codec.open());
    dvrCapturedLog log;
    dvrLog::setVerbose(true);
    bool compressed = codec.compress();
    dvrLog::setVerbose(false);
    ASSERT_TRUE(compressed);
    EXPECT_TRUE(log.contains("compressed (theora) ")) << log.all();
    // The first data packet follows the three headers; its granule is that of the first frame.
    EXPECT_TRUE(log.contains("bytes: bos 0, eos 0, gran 64, pno 3")) << log.all();
    // A data packet (first bit clear), not a header packet (0x80, 0x81, 0x82).
    ASSERT_GT(image.compressedSize(), 0u);
    EXPECT_EQ(image.compressedBuffer()[0] & 0x80, 0);
    EXPECT_TRUE(image.isKeyFrame());
}

// A picture whose width is not a multiple of 16 keeps its rows: a vertical bar stays vertical.
TEST(TheoraCompress, PlanesKeepTheirStrideForWidthsNotDivisibleBySixteen) {
    const int width = 180, height = 144;
    dvrImage source(width, height, dvrImage::formatUYVY, 2);
    dvrImage shown(width, height, dvrImage::formatUYVY, 2);
    std::uint8_t* pixels = source.captureBuffer();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; x += 2) {
            std::uint8_t* pair = pixels + (static_cast<std::size_t>(y) * width + x) * 2;
            const bool bar = x >= 80 && x < 96;
            pair[0] = 128;
            pair[1] = bar ? 220 : 30;
            pair[2] = 128;
            pair[3] = bar ? 220 : 30;
        }
    dvrCodec_theora encoder(&source, dvrCodec::modeEncoder);
    dvrCodec_theora decoder(&shown, dvrCodec::modeDecoder);
    ASSERT_TRUE(encoder.setQuality(100));
    ASSERT_TRUE(encoder.open());
    ASSERT_TRUE(decoder.open());
    ASSERT_TRUE(encoder.compress());
    std::copy_n(source.compressedBuffer(), source.compressedSize(), shown.compressedBuffer());
    shown.setCompressed(source.compressedSize(), true);
    ASSERT_TRUE(decoder.decompress());
    for (int y : {0, height / 2, height - 1}) {
        const std::uint8_t* row = shown.captureBuffer() + static_cast<std::size_t>(y) * width * 2;
        EXPECT_GT(row[88 * 2 + 1], 180) << "row " << y;
        EXPECT_LT(row[40 * 2 + 1], 70) << "row " << y;
        EXPECT_LT(row[140 * 2 + 1], 70) << "row " << y;
    }
    EXPECT_GE(dvrPsnr(pixels, shown.captureBuffer(), source.frameSize()), 35.0);
}

} // namespace
