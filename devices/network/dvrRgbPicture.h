#pragma once

#include <cstdint>
#include <vector>

// A decoded picture: width x height pixels of red, green and blue bytes, rows top-down.
struct dvrRgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};
