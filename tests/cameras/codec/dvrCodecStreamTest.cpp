#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "codec/dvrCodec.h"
#include "dvrPsnr.h"
#include "dvrSyntheticScene.h"
#include "dvrTemporaryDirectory.h"
#include "image/dvrImage.h"

// Compressed frames written back to back, as an export writes them, judged by the real ffprobe
// and ffmpeg commands.
namespace {

struct StreamCase {
    const char* code;
    const char* demuxer;   // ffmpeg's name for the raw stream
    const char* codecName; // as ffprobe reports it
    double floor;          // lowest PSNR in dB of a frame decoded by ffmpeg
};

void PrintTo(const StreamCase& c, std::ostream* out) {
    *out << c.code << " as " << c.demuxer;
}

class CodecStream : public testing::TestWithParam<StreamCase> {};

constexpr int width = 352;
constexpr int height = 288;
constexpr int frameCount = 25;

TEST_P(CodecStream, FramesBackToBackAreAcceptedByFfprobeAndFfmpeg) {
    const StreamCase& c = GetParam();
    dvrTemporaryDirectory directory;
    const std::string stream = directory.file("stream.bin");
    {
        dvrImage image(width, height, dvrImage::formatUYVY, 2);
        auto codec = dvrCodec::create(c.code, &image, dvrCodec::modeEncoder, 5);
        ASSERT_TRUE(codec->open());
        dvrSyntheticScene scene(width, height);
        std::ofstream out(stream, std::ios::binary);
        for (int frame = 0; frame < frameCount; ++frame) {
            scene.draw(image, frame);
            ASSERT_TRUE(codec->compress());
            out.write(reinterpret_cast<const char*>(image.compressedBuffer()),
                      static_cast<std::streamsize>(image.compressedSize()));
        }
    }

    const std::string probed = directory.file("probe.txt");
    const std::string probeErrors = directory.file("probe-errors.txt");
    const std::string probe =
        std::string("ffprobe -v error -f ") + c.demuxer +
        " -count_frames -select_streams v:0 -show_entries "
        "stream=codec_name,width,height,nb_read_frames -of default=noprint_wrappers=1 '" +
        stream + "' >'" + probed + "' 2>'" + probeErrors + "'";
    ASSERT_EQ(std::system(probe.c_str()), 0) << readFile(probeErrors);
    EXPECT_EQ(readFile(probeErrors), "");
    const std::string report = readFile(probed);
    EXPECT_NE(report.find(std::string("codec_name=") + c.codecName + "\n"), std::string::npos) << report;
    EXPECT_NE(report.find("width=352\n"), std::string::npos) << report;
    EXPECT_NE(report.find("height=288\n"), std::string::npos) << report;
    EXPECT_NE(report.find("nb_read_frames=25\n"), std::string::npos) << report;

    // Every decoded frame once: the nominal frame rates (12 per second) are not converted.
    const std::string raw = directory.file("decoded.uyvy");
    const std::string decodeErrors = directory.file("decode-errors.txt");
    const std::string decode = std::string("ffmpeg -nostdin -v error -f ") + c.demuxer + " -i '" + stream +
                               "' -fps_mode passthrough -f rawvideo -pix_fmt uyvy422 '" + raw + "' 2>'" +
                               decodeErrors + "'";
    ASSERT_EQ(std::system(decode.c_str()), 0) << readFile(decodeErrors);
    EXPECT_EQ(readFile(decodeErrors), "");
    const std::string decoded = readFile(raw);
    const std::size_t frameSize = static_cast<std::size_t>(width) * height * 2;
    ASSERT_EQ(decoded.size(), frameSize * frameCount);
    dvrSyntheticScene scene(width, height);
    for (int frame = 0; frame < frameCount; ++frame) {
        std::vector<std::uint8_t> expected = scene.uyvy(frame);
        const auto* picture = reinterpret_cast<const std::uint8_t*>(decoded.data()) + frameSize * frame;
        EXPECT_GE(dvrPsnr(expected.data(), picture, frameSize), c.floor) << "frame " << frame;
    }
}

// ffmpeg's own scaler sits between the decoder and the raw output, so the floors are a little
// under those of our own decoder.
const StreamCase streamCases[] = {
    {"MPG4", "m4v", "mpeg4", 38.0},
    {"MPG2", "mpegvideo", "mpeg2video", 38.0},
    {"MPG1", "mpegvideo", "mpeg1video", 38.0},
    // A full-range picture stored or read with the wrong range loses about 10 dB here.
    {"MJPG", "mjpeg", "mjpeg", 40.0},
};
INSTANTIATE_TEST_SUITE_P(Codecs, CodecStream, testing::ValuesIn(streamCases),
                         [](const testing::TestParamInfo<StreamCase>& info) { return info.param.code; });

} // namespace
