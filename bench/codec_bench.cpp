#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <time.h>

#include "capture/dvrCompressionSlots.h"
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

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// One camera's share of the work: its own picture buffers and encoder.
struct BenchCamera {
    BenchCamera(int width, int height) : image(width, height, dvrImage::formatUYVY, 2) {
        codec = dvrCodec::create("MPG4", &image, dvrCodec::modeEncoder, 5);
        opened = codec && codec->open();
    }
    dvrImage image;
    std::unique_ptr<dvrCodec> codec;
    bool opened = false;
    std::size_t next = 0;
};

constexpr int framesPerRound = 10;

bool compressRound(BenchCamera& camera, const std::vector<std::vector<std::uint8_t>>& frames, bool throughSlots) {
    for (int n = 0; n < framesPerRound; ++n) {
        const auto& frame = frames[camera.next];
        camera.next = (camera.next + 1) % frames.size();
        std::memcpy(camera.image.captureBuffer(), frame.data(), frame.size());
        if (throughSlots) {
            dvrCompressionSlots::Hold slot(dvrCompressionSlots::process());
            if (!camera.codec->compress())
                return false;
        } else if (!camera.codec->compress()) {
            return false;
        }
    }
    return true;
}

// Frames compressed per second by several cameras at once: each camera on its own thread, bound
// by the process-wide compression slots as capture threads are (threads = 1), against the same
// encoders run one after another on one thread (threads = 0). cpu_per_camera_at_25fps is the share
// of one core that a camera recording 25 frames per second costs.
void BM_CamerasCompressing(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const int cameraCount = static_cast<int>(state.range(2));
    const bool threads = state.range(3) != 0;
    std::vector<std::vector<std::uint8_t>> frames;
    for (int n = 0; n < 10; ++n)
        frames.push_back(movingPicture(width, height, n));
    std::vector<std::unique_ptr<BenchCamera>> cameras;
    for (int c = 0; c < cameraCount; ++c) {
        cameras.push_back(std::make_unique<BenchCamera>(width, height));
        if (!cameras.back()->opened) {
            state.SkipWithError("the MPEG-4 encoder does not open");
            return;
        }
    }
    bool failed = false;
    const double cpuBefore = processCpuSeconds();
    for (auto _ : state) {
        if (threads) {
            std::vector<std::thread> running;
            std::vector<char> ok(cameras.size(), 1);
            for (std::size_t c = 0; c < cameras.size(); ++c)
                running.emplace_back([&, c] { ok[c] = compressRound(*cameras[c], frames, true); });
            for (std::thread& thread : running)
                thread.join();
            for (char result : ok)
                failed = failed || !result;
        } else {
            for (auto& camera : cameras)
                failed = failed || !compressRound(*camera, frames, false);
        }
    }
    const double cpu = processCpuSeconds() - cpuBefore;
    if (failed) {
        state.SkipWithError("a frame was not compressed");
        return;
    }
    const double compressed = static_cast<double>(state.iterations()) * cameraCount * framesPerRound;
    state.SetItemsProcessed(static_cast<std::int64_t>(compressed));
    state.counters["cpu_per_camera_at_25fps"] = benchmark::Counter(cpu / compressed * 25.0);
}
BENCHMARK(BM_CamerasCompressing)
    ->ArgNames({"width", "height", "cameras", "threads"})
    ->ArgsProduct({{352}, {288}, {1, 2, 4, 16}, {0, 1}})
    ->ArgsProduct({{704}, {576}, {1, 2, 4, 16}, {0, 1}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
