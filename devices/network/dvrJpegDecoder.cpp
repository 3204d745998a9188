#include "network/dvrJpegDecoder.h"

#include <turbojpeg.h>

dvrJpegDecoder::dvrJpegDecoder() : handle_(tjInitDecompress()) {}

dvrJpegDecoder::~dvrJpegDecoder() {
    if (handle_)
        tjDestroy(static_cast<tjhandle>(handle_));
}

bool dvrJpegDecoder::isComplete(const std::uint8_t* data, std::size_t size) {
    if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return false;
    // Some cameras end the body with a line end or padding after the picture.
    std::size_t end = size;
    while (end > 2 && (data[end - 1] == '\r' || data[end - 1] == '\n' || data[end - 1] == 0 || data[end - 1] == ' '))
        --end;
    return end >= 4 && data[end - 2] == 0xFF && data[end - 1] == 0xD9;
}

dvrJpegDecoder::Result dvrJpegDecoder::decode(const std::uint8_t* data, std::size_t size, dvrRgbPicture& picture) {
    if (!handle_)
        return Result::undecodable;
    if (!isComplete(data, size) || size > static_cast<std::size_t>(~0UL >> 1))
        return Result::notJpeg;
    tjhandle handle = static_cast<tjhandle>(handle_);
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colorspace = 0;
    if (tjDecompressHeader3(handle, data, static_cast<unsigned long>(size), &width, &height, &subsampling,
                            &colorspace) != 0)
        return Result::undecodable;
    if (width < 1 || height < 1)
        return Result::undecodable;
    if (width > maximumSide || height > maximumSide || static_cast<long>(width) * height > maximumPixels)
        return Result::tooLarge;
    picture.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    if (tjDecompress2(handle, data, static_cast<unsigned long>(size), picture.pixels.data(), width, width * 3, height,
                      TJPF_RGB, TJFLAG_STOPONWARNING) != 0) {
        picture.width = 0;
        picture.height = 0;
        return Result::undecodable;
    }
    picture.width = width;
    picture.height = height;
    return Result::decoded;
}
