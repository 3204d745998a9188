#include "dvrDecodedPicture.h"

#include <png.h>
#include <turbojpeg.h>

bool dvrDecodedPicture::decodeJpeg(const std::string& bytes) {
    tjhandle handle = tjInitDecompress();
    int subsampling = 0, colourspace = 0;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    bool ok = tjDecompressHeader3(handle, data, bytes.size(), &width, &height, &subsampling, &colourspace) == 0;
    if (ok) {
        rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
        ok = tjDecompress2(handle, data, bytes.size(), rgb.data(), width, 0, height, TJPF_RGB, 0) == 0;
    }
    tjDestroy(handle);
    return ok;
}

bool dvrDecodedPicture::decodePng(const std::string& bytes) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return false;
    image.format = PNG_FORMAT_RGB;
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    rgb.resize(PNG_IMAGE_SIZE(image));
    bool ok = png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

std::vector<int> dvrDecodedPicture::pixel(int x, int y) const {
    std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
    return {rgb[at], rgb[at + 1], rgb[at + 2]};
}
