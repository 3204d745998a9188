#include "dvrTestJpeg.h"

#include <turbojpeg.h>

#include <stdexcept>

std::vector<std::uint8_t> dvrTestJpeg::make(int width, int height, int frame, int quality) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    int side = std::max(1, std::min(width, height) / 4);
    int left = (frame * side) % std::max(1, width - side);
    int top = (frame * side / 2) % std::max(1, height - side);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* pixel = &rgb[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x) * 3];
            bool inSquare = x >= left && x < left + side && y >= top && y < top + side;
            pixel[0] = inSquare ? 250 : static_cast<std::uint8_t>(x * 200 / width);
            pixel[1] = inSquare ? 250 : static_cast<std::uint8_t>(y * 200 / height);
            pixel[2] = inSquare ? 250 : 60;
        }
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    int failed = tjCompress2(handle, rgb.data(), width, width * 3, height, TJPF_RGB, &jpeg, &size, TJSAMP_420,
                             quality, 0);
    std::vector<std::uint8_t> bytes;
    if (failed == 0)
        bytes.assign(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(handle);
    if (failed != 0)
        throw std::runtime_error("JPEG compression failed");
    return bytes;
}
