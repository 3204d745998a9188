#pragma once

#include <cstddef>
#include <cstdint>

#include "network/dvrRgbPicture.h"

// Decodes complete JPEG pictures into RGB with libjpeg-turbo. A body that does not start with
// the start-of-image marker and end with the end-of-image marker, a picture outside the size
// limits, and any decoder warning (a corrupt or cut-off stream) are refused. One decoder per
// thread.
class dvrJpegDecoder {
public:
    // Largest side, and largest picture (3840 x 2160): the camera keeps several buffers of this
    // size, so anything bigger is refused before a single pixel is decoded.
    static constexpr int maximumSide = 4096;
    static constexpr long maximumPixels = 3840L * 2160L;

    enum class Result { decoded, notJpeg, tooLarge, undecodable };

    dvrJpegDecoder();
    ~dvrJpegDecoder();
    dvrJpegDecoder(const dvrJpegDecoder&) = delete;
    dvrJpegDecoder& operator=(const dvrJpegDecoder&) = delete;

    // The picture keeps its buffer between calls, so steady decoding allocates nothing.
    Result decode(const std::uint8_t* data, std::size_t size, dvrRgbPicture& picture);

    // Whether the bytes are framed as one whole JPEG picture (trailing line ends allowed).
    static bool isComplete(const std::uint8_t* data, std::size_t size);

private:
    void* handle_ = nullptr;
};
