#include "dvrPictureScaler.h"

#include <cstddef>
#include <cstring>
#include <vector>

namespace {
// Source position (16.16 fixed point) of each target position, sample centres aligned.
std::vector<std::int64_t> positions(int sourceSize, int targetSize) {
    std::vector<std::int64_t> result(static_cast<std::size_t>(targetSize));
    for (int i = 0; i < targetSize; ++i) {
        std::int64_t position = ((2 * static_cast<std::int64_t>(i) + 1) * sourceSize * 65536) / (2 * targetSize) - 32768;
        std::int64_t last = static_cast<std::int64_t>(sourceSize - 1) * 65536;
        result[static_cast<std::size_t>(i)] = position < 0 ? 0 : (position > last ? last : position);
    }
    return result;
}
} // namespace

void dvrPictureScaler::scale(const std::uint8_t* source, int sourceWidth, int sourceHeight, std::uint8_t* target,
                             int targetWidth, int targetHeight) {
    const std::size_t sourceRow = static_cast<std::size_t>(sourceWidth) * 3;
    const std::size_t targetRow = static_cast<std::size_t>(targetWidth) * 3;
    if (sourceWidth == targetWidth && sourceHeight == targetHeight) {
        std::memcpy(target, source, sourceRow * static_cast<std::size_t>(sourceHeight));
        return;
    }
    const std::vector<std::int64_t> xs = positions(sourceWidth, targetWidth);
    const std::vector<std::int64_t> ys = positions(sourceHeight, targetHeight);
    for (int y = 0; y < targetHeight; ++y) {
        const std::int64_t sy = ys[static_cast<std::size_t>(y)];
        const int row0 = static_cast<int>(sy >> 16);
        const int row1 = row0 + 1 < sourceHeight ? row0 + 1 : row0;
        const std::uint32_t fy = static_cast<std::uint32_t>(sy & 0xFFFF) >> 8; // 0-255
        const std::uint8_t* top = source + static_cast<std::size_t>(row0) * sourceRow;
        const std::uint8_t* bottom = source + static_cast<std::size_t>(row1) * sourceRow;
        std::uint8_t* out = target + static_cast<std::size_t>(y) * targetRow;
        for (int x = 0; x < targetWidth; ++x) {
            const std::int64_t sx = xs[static_cast<std::size_t>(x)];
            const std::size_t column0 = static_cast<std::size_t>(sx >> 16);
            const std::size_t column1 = column0 + 1 < static_cast<std::size_t>(sourceWidth) ? column0 + 1 : column0;
            const std::uint32_t fx = static_cast<std::uint32_t>(sx & 0xFFFF) >> 8;
            for (std::size_t c = 0; c < 3; ++c) {
                std::uint32_t a = top[column0 * 3 + c], b = top[column1 * 3 + c];
                std::uint32_t d = bottom[column0 * 3 + c], e = bottom[column1 * 3 + c];
                std::uint32_t upper = a * (256 - fx) + b * fx;
                std::uint32_t lower = d * (256 - fx) + e * fx;
                out[static_cast<std::size_t>(x) * 3 + c] =
                    static_cast<std::uint8_t>((upper * (256 - fy) + lower * fy + 32768) >> 16);
            }
        }
    }
}
