#include "image/dvrPixelConversion.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "image/dvrImage.h"

namespace {

// 16.16 fixed-point terms of the YCbCr to RGB step, one table per term.
struct YuvTables {
    std::array<int, 256> luminance{}, redFromV{}, greenFromV{}, greenFromU{}, blueFromU{};
    // Saturation without branches: index = value + clampOffset, for every value the terms reach.
    static constexpr int clampOffset = 512;
    std::array<std::uint8_t, 1536> clamped{};
    std::uint8_t clamp(int value) const { return clamped[static_cast<std::size_t>(value + clampOffset)]; }
    YuvTables() {
        for (int i = 0; i < 1536; ++i)
            clamped[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(std::clamp(i - clampOffset, 0, 255));
        for (int i = 0; i < 256; ++i) {
            luminance[i] = static_cast<int>(1.164 * (i - 16) * 65536.0 + 32768.0);
            redFromV[i] = static_cast<int>(1.596 * (i - 128) * 65536.0);
            greenFromV[i] = static_cast<int>(-0.813 * (i - 128) * 65536.0);
            greenFromU[i] = static_cast<int>(-0.391 * (i - 128) * 65536.0);
            blueFromU[i] = static_cast<int>(2.018 * (i - 128) * 65536.0);
        }
    }
};

const YuvTables& tables() {
    static const YuvTables instance;
    return instance;
}

inline std::uint8_t clampByte(int value) {
    return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

inline std::size_t area(int width, int height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

void swapOuterBytes(const std::uint8_t* source, std::uint8_t* output, std::size_t pixels) {
    for (std::size_t i = 0; i < pixels; ++i, source += 3, output += 3) {
        std::uint8_t first = source[0];
        output[1] = source[1];
        output[0] = source[2];
        output[2] = first;
    }
}

void flipRows(const std::uint8_t* source, std::uint8_t* output, int height, std::size_t stride) {
    for (int row = 0; row < height; ++row)
        std::memmove(output + static_cast<std::size_t>(height - 1 - row) * stride,
                     source + static_cast<std::size_t>(row) * stride, stride);
}

} // namespace

void dvrPixelConversion::uyvyToRgb(const std::uint8_t* source, std::uint8_t* output, int width, int height,
                                   bool bottomUpBgr) {
    const YuvTables& t = tables();
    const std::size_t sourceStride = static_cast<std::size_t>(width) * 2;
    const std::size_t outputStride = static_cast<std::size_t>(width) * 3;
    const int redAt = bottomUpBgr ? 2 : 0, blueAt = bottomUpBgr ? 0 : 2;
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* in = source + static_cast<std::size_t>(row) * sourceStride;
        std::uint8_t* out = output + static_cast<std::size_t>(bottomUpBgr ? height - 1 - row : row) * outputStride;
        const int pairs = width / 2;
        for (int pair = 0; pair < pairs; ++pair, in += 4, out += 6) {
            const int u = in[0], v = in[2];
            const int red = t.redFromV[v], green = t.greenFromV[v] + t.greenFromU[u], blue = t.blueFromU[u];
            const int y0 = t.luminance[in[1]], y1 = t.luminance[in[3]];
            out[redAt] = t.clamp((y0 + red) >> 16);
            out[1] = t.clamp((y0 + green) >> 16);
            out[blueAt] = t.clamp((y0 + blue) >> 16);
            out[3 + redAt] = t.clamp((y1 + red) >> 16);
            out[4] = t.clamp((y1 + green) >> 16);
            out[3 + blueAt] = t.clamp((y1 + blue) >> 16);
        }
    }
}

void dvrPixelConversion::rgbToUyvy(const std::uint8_t* source, bool redFirst, std::uint8_t* output, int width,
                                   int height) {
    const int redAt = redFirst ? 0 : 2, blueAt = redFirst ? 2 : 0;
    const std::size_t sourceStride = static_cast<std::size_t>(width) * 3;
    const std::size_t outputStride = static_cast<std::size_t>(width) * 2;
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* in = source + static_cast<std::size_t>(row) * sourceStride;
        std::uint8_t* out = output + static_cast<std::size_t>(row) * outputStride;
        for (int pair = 0; pair < width / 2; ++pair, in += 6, out += 4) {
            const int r0 = in[redAt], g0 = in[1], b0 = in[blueAt];
            const int r1 = in[3 + redAt], g1 = in[4], b1 = in[3 + blueAt];
            const int r = r0 + r1, g = g0 + g1, b = b0 + b1; // the pair shares its chroma
            out[0] = clampByte(128 + ((-38 * r - 74 * g + 112 * b + 256) >> 9));
            out[1] = clampByte(16 + ((66 * r0 + 129 * g0 + 25 * b0 + 128) >> 8));
            out[2] = clampByte(128 + ((112 * r - 94 * g - 18 * b + 256) >> 9));
            out[3] = clampByte(16 + ((66 * r1 + 129 * g1 + 25 * b1 + 128) >> 8));
        }
    }
}

void dvrPixelConversion::uyvyToPlanar(const std::uint8_t* source, std::uint8_t* output, int width, int height,
                                      bool halfHeight) {
    const int chromaWidth = width / 2;
    const int chromaHeight = halfHeight ? (height + 1) / 2 : height;
    std::uint8_t* luminance = output;
    std::uint8_t* uPlane = output + area(width, height);
    std::uint8_t* vPlane = uPlane + area(chromaWidth, chromaHeight);
    const std::size_t stride = static_cast<std::size_t>(width) * 2;
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* in = source + static_cast<std::size_t>(row) * stride;
        std::uint8_t* y = luminance + static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
        for (int x = 0; x < width; ++x)
            y[x] = in[2 * x + 1];
        // With 4:2:0 the chroma of even rows is kept.
        if (halfHeight && row % 2 != 0)
            continue;
        const std::size_t chromaRow = static_cast<std::size_t>(halfHeight ? row / 2 : row);
        std::uint8_t* u = uPlane + chromaRow * static_cast<std::size_t>(chromaWidth);
        std::uint8_t* v = vPlane + chromaRow * static_cast<std::size_t>(chromaWidth);
        for (int pair = 0; pair < chromaWidth; ++pair) {
            u[pair] = in[4 * pair];
            v[pair] = in[4 * pair + 2];
        }
    }
}

void dvrPixelConversion::planarToUyvy(const std::uint8_t* source, std::uint8_t* output, int width, int height,
                                      bool halfHeight) {
    const int chromaWidth = width / 2;
    const int chromaHeight = halfHeight ? (height + 1) / 2 : height;
    const std::uint8_t* luminance = source;
    const std::uint8_t* uPlane = source + area(width, height);
    const std::uint8_t* vPlane = uPlane + area(chromaWidth, chromaHeight);
    const std::size_t stride = static_cast<std::size_t>(width) * 2;
    for (int row = 0; row < height; ++row) {
        std::uint8_t* out = output + static_cast<std::size_t>(row) * stride;
        const std::uint8_t* y = luminance + static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
        const std::size_t chromaRow = static_cast<std::size_t>(halfHeight ? row / 2 : row);
        const std::uint8_t* u = uPlane + chromaRow * static_cast<std::size_t>(chromaWidth);
        const std::uint8_t* v = vPlane + chromaRow * static_cast<std::size_t>(chromaWidth);
        for (int pair = 0; pair < chromaWidth; ++pair) {
            out[4 * pair] = u[pair];
            out[4 * pair + 1] = y[2 * pair];
            out[4 * pair + 2] = v[pair];
            out[4 * pair + 3] = y[2 * pair + 1];
        }
    }
}

bool dvrPixelConversion::convert(const std::uint8_t* source, int sourceFormat, std::uint8_t* output, int targetFormat,
                                 std::uint8_t* work, int width, int height) {
    using I = dvrImage;
    const std::size_t pixels = area(width, height);
    if (sourceFormat == targetFormat) {
        std::size_t size = sourceFormat == I::formatPlanar420 ? pixels + 2 * area(width / 2, (height + 1) / 2)
                                                              : pixels * static_cast<std::size_t>(I::bytesPerPixel(sourceFormat));
        std::memcpy(output, source, size);
        return true;
    }
    switch (sourceFormat) {
    case I::formatUYVY:
        switch (targetFormat) {
        case I::formatRGB24:
            uyvyToRgb(source, output, width, height, false);
            return true;
        case I::formatBottomUpBGR24:
            uyvyToRgb(source, output, width, height, true);
            return true;
        case I::formatPlanar422:
        case I::formatPlanar420:
            uyvyToPlanar(source, output, width, height, targetFormat == I::formatPlanar420);
            return true;
        default:
            return false;
        }
    case I::formatRGB24:
    case I::formatBGR24: {
        const bool redFirst = sourceFormat == I::formatRGB24;
        switch (targetFormat) {
        case I::formatUYVY:
            rgbToUyvy(source, redFirst, output, width, height);
            return true;
        case I::formatPlanar422:
        case I::formatPlanar420:
            rgbToUyvy(source, redFirst, work, width, height);
            uyvyToPlanar(work, output, width, height, targetFormat == I::formatPlanar420);
            return true;
        case I::formatRGB24: // from BGR24
            swapOuterBytes(source, output, pixels);
            return true;
        case I::formatBGR24: // from RGB24
            swapOuterBytes(source, output, pixels);
            return true;
        case I::formatBottomUpBGR24:
            // RGB needs its bytes exchanged; BGR is already in order and only turns upside down.
            if (redFirst) {
                swapOuterBytes(source, work, pixels);
                flipRows(work, output, height, static_cast<std::size_t>(width) * 3);
            } else {
                flipRows(source, output, height, static_cast<std::size_t>(width) * 3);
            }
            return true;
        default:
            return false;
        }
    }
    case I::formatPlanar422:
    case I::formatPlanar420: {
        const bool halfHeight = sourceFormat == I::formatPlanar420;
        switch (targetFormat) {
        case I::formatUYVY:
            planarToUyvy(source, output, width, height, halfHeight);
            return true;
        case I::formatRGB24:
            planarToUyvy(source, work, width, height, halfHeight);
            uyvyToRgb(work, output, width, height, false);
            return true;
        default:
            return false;
        }
    }
    default:
        return false;
    }
}
