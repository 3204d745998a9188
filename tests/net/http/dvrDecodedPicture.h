#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A JPEG or PNG decoded with libjpeg-turbo or libpng into RGB.
struct dvrDecodedPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    // False when the bytes are no picture of that kind.
    bool decodeJpeg(const std::string& bytes);
    bool decodePng(const std::string& bytes);
    // Red, green and blue of a pixel.
    std::vector<int> pixel(int x, int y) const;
};
