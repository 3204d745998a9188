#pragma once

#include <cstdint>

// Conversions between the pixel formats of dvrImage. Luminance and chroma follow ITU-R BT.601
// with limited range in both directions, so a colour survives a round trip.
class dvrPixelConversion {
public:
    // Converts a width x height frame; work holds an intermediate step (width x height x 4
    // bytes, like the output). False for a pair of formats without a conversion.
    static bool convert(const std::uint8_t* source, int sourceFormat, std::uint8_t* output, int targetFormat,
                        std::uint8_t* work, int width, int height);

    static void uyvyToRgb(const std::uint8_t* source, std::uint8_t* output, int width, int height, bool bottomUpBgr);
    // source holds red, green, blue when redFirst, else blue, green, red.
    static void rgbToUyvy(const std::uint8_t* source, bool redFirst, std::uint8_t* output, int width, int height);
    static void uyvyToPlanar(const std::uint8_t* source, std::uint8_t* output, int width, int height, bool halfHeight);
    static void planarToUyvy(const std::uint8_t* source, std::uint8_t* output, int width, int height, bool halfHeight);
};
