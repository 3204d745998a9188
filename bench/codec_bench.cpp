#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "codec/dvrCodec.h"
#include "image/dvrImage.h"

// MPEG-4 compression of UYVY camera pictures through the codec, as the capture thread runs it.
// bench/ffmpeg_mpeg4_encode.sh times the ffmpeg command on the same frames, which this program
// writes when MIRDAL_CODEC_FRAMES names a directory.
namespace {

constexpr int distinctFrames = 50;
// Frames in the file for the ffmpeg command: enough for a run of a few seconds.
constexpr int framesInFile = 500;

// A moving picture: gradients with a fine texture and a block moving across.
std::vector<std::uint8_t> movingPicture(int width, int height, int frame) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * height * 2);
    const int side = height / 6;
    const int blockX = (frame * 6) % (width - side);
    std::size_t i = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; x += 2) {
            const bool block = x >= blockX && x < blockX + side && y >= height / 4 && y < height / 4 + side;
            const int texture = ((x / 4 + y / 4) % 2) ? 5 : -5;
            const int luma = block ? 210 : 40 + 150 * x / width + texture;
            out[i++] = static_cast<std::uint8_t>(128 + 40.0 * std::sin((y + frame) * 0.02));
            out[i++] = static_cast<std::uint8_t>(luma);
            out[i++] = static_cast<std::uint8_t>(128 + 60 * y / height - 30);
            out[i++] = static_cast<std::uint8_t>(luma + (block ? 0 : 1));
        }
    return out;
}

void writeFramesFor(int width, int height, const std::vector<std::vector<std::uint8_t>>& frames) {
    const char* directory = std::getenv("MIRDAL_CODEC_FRAMES");
    if (!directory || !*directory)
        return;
    std::ofstream out(std::string(directory) + "/frames_" + std::to_string(width) + "x" +
                          std::to_string(height) + ".raw",
                      std::ios::binary);
    for (int n = 0; n < framesInFile; ++n) {
        const auto& frame = frames[static_cast<std::size_t>(n % distinctFrames)];
        out.write(reinterpret_cast<const char*>(frame.data()), static_cast<std::streamsize>(frame.size()));
    }
}

void BM_Mpeg4EncodeUyvy(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    std::vector<std::vector<std::uint8_t>> frames;
    for (int n = 0; n < distinctFrames; ++n)
        frames.push_back(movingPicture(width, height, n));
    writeFramesFor(width, height, frames);

    dvrImage image(width, height, dvrImage::formatUYVY, 2);
    std::unique_ptr<dvrCodec> codec = dvrCodec::create("MPG4", &image, dvrCodec::modeEncoder, 5);
    if (!codec || !codec->open()) {
        state.SkipWithError("the MPEG-4 encoder does not open");
        return;
    }
    std::size_t next = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        // What a capture board does: the new picture lands in the capture buffer.
        std::memcpy(image.captureBuffer(), frames[next].data(), frames[next].size());
        next = (next + 1) % frames.size();
        if (!codec->compress()) {
            state.SkipWithError("a frame was not compressed");
            return;
        }
        bytes += image.compressedSize();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["bytes_per_frame"] =
        benchmark::Counter(static_cast<double>(bytes) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_Mpeg4EncodeUyvy)->Args({352, 288})->Args({704, 576})->Unit(benchmark::kMicrosecond);

} // namespace
