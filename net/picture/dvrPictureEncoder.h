#pragma once

#include <cstdint>
#include <vector>

// Encodes RGB pictures (three bytes per pixel, red first, top row first) as JPEG with
// libjpeg-turbo or as PNG with libpng. The output grows to whatever the picture needs.
class dvrPictureEncoder {
public:
    dvrPictureEncoder();
    ~dvrPictureEncoder();
    dvrPictureEncoder(const dvrPictureEncoder&) = delete;
    dvrPictureEncoder& operator=(const dvrPictureEncoder&) = delete;

    // Quality 1-100 (outside is clamped). False, with the reason logged, when encoding fails.
    bool encodeJpeg(const std::uint8_t* rgb, int width, int height, int quality, std::vector<std::uint8_t>& out);
    static bool encodePng(const std::uint8_t* rgb, int width, int height, std::vector<std::uint8_t>& out);

private:
    // The compressor is kept between pictures of one thread.
    void* compressor_ = nullptr;
};
