#pragma once

#include <cstdint>

// Resizes RGB pictures (three bytes per pixel) with bilinear interpolation.
class dvrPictureScaler {
public:
    // target holds targetWidth x targetHeight x 3 bytes; every side must be at least 1.
    static void scale(const std::uint8_t* source, int sourceWidth, int sourceHeight, std::uint8_t* target,
                      int targetWidth, int targetHeight);
};
