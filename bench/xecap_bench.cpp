// The simulated capture card draws one picture per group and frame: with 4 groups on PAL that is
// 100 pictures a second, so one picture must take well under 10 ms. Copying the same number of
// bytes is the yardstick for what drawing costs beyond the copy every grab makes anyway.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "xecap/dvrXecapPictureRenderer.h"

namespace {

void renderPicture(benchmark::State& state) {
    int width = static_cast<int>(state.range(0));
    int height = static_cast<int>(state.range(1));
    std::vector<std::uint8_t> bytes;
    std::uint64_t sequence = 0;
    for (auto _ : state) {
        dvrXecapPictureRenderer::render({width, height, 3, true, ++sequence, "12:34:56"}, bytes);
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(renderPicture)->Args({352, 288})->Args({704, 576})->Unit(benchmark::kMicrosecond);

void copyPicture(benchmark::State& state) {
    std::size_t size = static_cast<std::size_t>(state.range(0) * state.range(1) * 2);
    std::vector<std::uint8_t> from(size, 1), to(size);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), size);
        benchmark::DoNotOptimize(to.data());
    }
}
BENCHMARK(copyPicture)->Args({352, 288})->Args({704, 576})->Unit(benchmark::kMicrosecond);

} // namespace
