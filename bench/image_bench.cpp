#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

extern "C" {
#include <libswscale/swscale.h>
}

#include "image/dvrImage.h"

namespace {

void fillRandom(std::uint8_t* data, std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<std::uint8_t>(random());
}

// One detection per frame against a reference that differs everywhere (the worst case: every
// cell is summed).
void BM_MotionDetection(benchmark::State& state) {
    dvrImage image(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), static_cast<int>(state.range(2)), 1);
    fillRandom(image.captureBuffer(), image.frameSize(), 1);
    image.refreshReference();
    fillRandom(image.captureBuffer(), image.frameSize(), 2);
    for (auto _ : state)
        benchmark::DoNotOptimize(image.detect(2, 4, 8, 5, 7));
}
BENCHMARK(BM_MotionDetection)
    ->Args({352, 288, dvrImage::formatUYVY})
    ->Args({704, 576, dvrImage::formatUYVY})
    ->Args({640, 480, dvrImage::formatRGB24})
    ->Unit(benchmark::kMicrosecond);

void BM_UyvyToRgb24_Ours(benchmark::State& state) {
    dvrImage image(704, 576, dvrImage::formatUYVY, 1);
    fillRandom(image.captureBuffer(), image.frameSize(), 3);
    for (auto _ : state)
        benchmark::DoNotOptimize(image.convert(dvrImage::formatRGB24, false));
    state.SetBytesProcessed(state.iterations() * static_cast<long>(image.frameSize()));
}
BENCHMARK(BM_UyvyToRgb24_Ours)->Unit(benchmark::kMicrosecond);

void BM_UyvyToRgb24_Swscale(benchmark::State& state) {
    const int width = 704, height = 576;
    std::vector<std::uint8_t> source(static_cast<std::size_t>(width) * height * 2);
    std::vector<std::uint8_t> output(static_cast<std::size_t>(width) * height * 3);
    fillRandom(source.data(), source.size(), 3);
    SwsContext* context = sws_getContext(width, height, AV_PIX_FMT_UYVY422, width, height, AV_PIX_FMT_RGB24,
                                         SWS_POINT, nullptr, nullptr, nullptr);
    const std::uint8_t* sourcePlanes[] = {source.data()};
    const int sourceStrides[] = {width * 2};
    std::uint8_t* outputPlanes[] = {output.data()};
    const int outputStrides[] = {width * 3};
    for (auto _ : state)
        benchmark::DoNotOptimize(sws_scale(context, sourcePlanes, sourceStrides, 0, height, outputPlanes, outputStrides));
    sws_freeContext(context);
    state.SetBytesProcessed(state.iterations() * static_cast<long>(source.size()));
}
BENCHMARK(BM_UyvyToRgb24_Swscale)->Unit(benchmark::kMicrosecond);

// The machine's memory bandwidth, for comparison with the detection's reads.
void BM_MemoryCopy(benchmark::State& state) {
    std::vector<std::uint8_t> from(64 << 20, 1), to(64 << 20);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long>(from.size()) * 2);
}
BENCHMARK(BM_MemoryCopy)->Unit(benchmark::kMillisecond);

} // namespace
