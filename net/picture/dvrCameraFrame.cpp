#include "dvrCameraFrame.h"

#include <mutex>

#include "dvrCamera.h"
#include "dvrPictureScaler.h"
#include "image/dvrImage.h"
#include "image/dvrPixelConversion.h"

bool dvrCameraFrame::identify(dvrCamera& camera, Identity& identity) {
    std::lock_guard<std::recursive_mutex> guard(camera.imageLock());
    dvrImage* image = camera.getImage();
    if (!image)
        return false;
    identity = {image, image->frameCounter.load()};
    return true;
}

bool dvrCameraFrame::copyFrom(dvrCamera& camera) {
    std::lock_guard<std::recursive_mutex> guard(camera.imageLock());
    dvrImage* image = camera.getImage();
    if (!image)
        return false;
    identity_ = {image, image->frameCounter.load()};
    width_ = image->width();
    height_ = image->height();
    format_ = image->format();
    const std::uint8_t* pixels = image->captureBuffer();
    pixels_.assign(pixels, pixels + image->frameSize());
    return true;
}

bool dvrCameraFrame::toRgb(int width, int height, std::vector<std::uint8_t>& rgb) const {
    if (width < 1 || height < 1 || width_ < 1 || height_ < 1 || pixels_.empty())
        return false;
    const std::size_t pixelCount = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
    std::vector<std::uint8_t> native;
    const std::uint8_t* source = pixels_.data();
    if (format_ != dvrImage::formatRGB24) {
        native.resize(pixelCount * 4);
        std::vector<std::uint8_t> work(pixelCount * 4);
        if (!dvrPixelConversion::convert(pixels_.data(), format_, native.data(), dvrImage::formatRGB24, work.data(),
                                         width_, height_))
            return false;
        source = native.data();
    } else if (pixels_.size() < pixelCount * 3) {
        return false;
    }
    rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    dvrPictureScaler::scale(source, width_, height_, rgb.data(), width, height);
    return true;
}
