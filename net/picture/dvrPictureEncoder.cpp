#include "dvrPictureEncoder.h"

#include <algorithm>
#include <png.h>
#include <turbojpeg.h>

#include "log/dvrLog.h"

dvrPictureEncoder::dvrPictureEncoder() = default;

dvrPictureEncoder::~dvrPictureEncoder() {
    if (compressor_)
        tjDestroy(compressor_);
}

bool dvrPictureEncoder::encodeJpeg(const std::uint8_t* rgb, int width, int height, int quality,
                                   std::vector<std::uint8_t>& out) {
    if (!rgb || width < 1 || height < 1)
        return false;
    if (!compressor_)
        compressor_ = tjInitCompress();
    if (!compressor_) {
        logError("[HTTP] JPEG compressor could not be made.\n");
        return false;
    }
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    if (tjCompress2(compressor_, rgb, width, 0, height, TJPF_RGB, &jpeg, &size, TJSAMP_420,
                    std::clamp(quality, 1, 100), TJFLAG_FASTDCT) != 0) {
        logError("[HTTP] JPEG encoding failed: %s\n", tjGetErrorStr2(compressor_));
        tjFree(jpeg);
        return false;
    }
    out.assign(jpeg, jpeg + size);
    tjFree(jpeg);
    return true;
}

bool dvrPictureEncoder::encodePng(const std::uint8_t* rgb, int width, int height, std::vector<std::uint8_t>& out) {
    if (!rgb || width < 1 || height < 1)
        return false;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    // The first call measures, the second writes.
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb, 0, nullptr) || size == 0) {
        logError("[HTTP] PNG encoding failed: %s\n", image.message);
        png_image_free(&image);
        return false;
    }
    out.resize(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, rgb, 0, nullptr)) {
        logError("[HTTP] PNG encoding failed: %s\n", image.message);
        png_image_free(&image);
        out.clear();
        return false;
    }
    out.resize(size);
    return true;
}
