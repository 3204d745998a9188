#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "codec/dvrCodec.h"
#include "dvrPsnr.h"
#include "dvrSyntheticScene.h"
#include "image/dvrImage.h"

namespace {

struct RoundTripCase {
    const char* code;
    int width;
    int height;
    int format;   // of the encoding camera's image
    double floor; // lowest PSNR in dB accepted for any frame, against the UYVY drawing
};

void PrintTo(const RoundTripCase& c, std::ostream* out) {
    *out << c.code << " " << c.width << "x" << c.height << " format " << c.format << " floor " << c.floor;
}

std::string caseName(const testing::TestParamInfo<RoundTripCase>& info) {
    const char* format = info.param.format == dvrImage::formatUYVY    ? "UYVY"
                         : info.param.format == dvrImage::formatRGB24 ? "RGB24"
                                                                      : "BGR24";
    return std::string(info.param.code) + "_" + std::to_string(info.param.width) + "x" +
           std::to_string(info.param.height) + "_" + format;
}

// An encoding codec on one image and a decoding codec on another of the same size.
struct CodecPair {
    CodecPair(const RoundTripCase& c, int keyInterval)
        : source(c.width, c.height, c.format, 2), shown(c.width, c.height, dvrImage::formatUYVY, 2),
          encoder(dvrCodec::create(c.code, &source, dvrCodec::modeEncoder, keyInterval)),
          decoder(dvrCodec::create(c.code, &shown, dvrCodec::modeDecoder, keyInterval)) {}

    // Hands the compressed frame of the source to the shown image, as storage or the network do.
    void transfer() {
        std::copy_n(source.compressedBuffer(), source.compressedSize(), shown.compressedBuffer());
        shown.setCompressed(source.compressedSize(), source.isKeyFrame());
    }

    dvrImage source;
    dvrImage shown;
    std::unique_ptr<dvrCodec> encoder;
    std::unique_ptr<dvrCodec> decoder;
};

class CodecRoundTrip : public testing::TestWithParam<RoundTripCase> {};

constexpr int sequenceLength = 12;
constexpr int keyInterval = 5;

TEST_P(CodecRoundTrip, MovingSequenceDecodesAboveThePsnrFloor) {
    const RoundTripCase& c = GetParam();
    CodecPair pair(c, keyInterval);
    ASSERT_TRUE(pair.encoder && pair.decoder);
    ASSERT_TRUE(pair.encoder->open());
    ASSERT_TRUE(pair.decoder->open());
    dvrSyntheticScene scene(c.width, c.height);
    double lowest = 99;
    for (int frame = 0; frame < sequenceLength; ++frame) {
        scene.draw(pair.source, frame);
        // One frame in, one compressed frame out, from the very first frame on.
        ASSERT_TRUE(pair.encoder->compress()) << "frame " << frame;
        ASSERT_GT(pair.source.compressedSize(), 0u);
        pair.transfer();
        ASSERT_TRUE(pair.decoder->decompress()) << "frame " << frame;
        EXPECT_EQ(pair.shown.isKeyFrame(), pair.source.isKeyFrame()) << "frame " << frame;
        std::vector<std::uint8_t> expected = scene.uyvy(frame);
        double psnr = dvrPsnr(expected.data(), pair.shown.captureBuffer(), expected.size());
        lowest = std::min(lowest, psnr);
        EXPECT_GE(psnr, c.floor) << "frame " << frame;
    }
    RecordProperty("lowest_psnr_db", std::to_string(lowest));
}

TEST_P(CodecRoundTrip, EveryKeyFrameDecodesAloneInAFreshDecoder) {
    const RoundTripCase& c = GetParam();
    CodecPair pair(c, keyInterval);
    ASSERT_TRUE(pair.encoder->open());
    dvrSyntheticScene scene(c.width, c.height);
    const bool intraOnly = pair.encoder->code() == "MJPG";
    for (int frame = 0; frame < sequenceLength; ++frame) {
        scene.draw(pair.source, frame);
        ASSERT_TRUE(pair.encoder->compress());
        const bool expectKey = intraOnly || frame % keyInterval == 0;
        EXPECT_EQ(pair.source.isKeyFrame(), expectKey) << "frame " << frame;
        if (!pair.source.isKeyFrame())
            continue;
        dvrImage fresh(c.width, c.height, dvrImage::formatUYVY, 2);
        std::unique_ptr<dvrCodec> decoder =
            dvrCodec::create(c.code, &fresh, dvrCodec::modeDecoder, keyInterval);
        ASSERT_TRUE(decoder->open());
        std::copy_n(pair.source.compressedBuffer(), pair.source.compressedSize(), fresh.compressedBuffer());
        fresh.setCompressed(pair.source.compressedSize(), true);
        ASSERT_TRUE(decoder->decompress()) << "key frame " << frame;
        std::vector<std::uint8_t> expected = scene.uyvy(frame);
        EXPECT_GE(dvrPsnr(expected.data(), fresh.captureBuffer(), expected.size()), c.floor)
            << "key frame " << frame;
    }
}

// Floors sit about 4 dB under what the libraries give at the default quality of 80 (MPEG and
// MJPEG 42.7-46.6 dB, Theora 36.1-37.5 dB), so a wrong plane, stride, range or colour order, each
// of which costs far more, fails.
const RoundTripCase roundTripCases[] = {
    {"MPG4", 352, 288, dvrImage::formatUYVY, 40.0},  {"MPG4", 180, 144, dvrImage::formatUYVY, 38.0},
    {"MPG4", 352, 288, dvrImage::formatRGB24, 40.0}, {"MPG4", 352, 288, dvrImage::formatBGR24, 40.0},
    {"MPG2", 352, 288, dvrImage::formatUYVY, 40.0},  {"MPG1", 352, 288, dvrImage::formatUYVY, 40.0},
    {"MJPG", 352, 288, dvrImage::formatUYVY, 42.0},  {"MJPG", 352, 288, dvrImage::formatRGB24, 42.0},
    {"THEO", 352, 288, dvrImage::formatUYVY, 33.0},  {"THEO", 180, 144, dvrImage::formatUYVY, 33.0},
    {"THEO", 176, 120, dvrImage::formatUYVY, 32.0},  {"THEO", 170, 100, dvrImage::formatBGR24, 32.0},
};
INSTANTIATE_TEST_SUITE_P(Codecs, CodecRoundTrip, testing::ValuesIn(roundTripCases), caseName);

} // namespace
