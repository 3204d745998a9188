#include "dvrPatternCamera.h"

#include <mutex>
#include <vector>

#include "image/dvrImage.h"
#include "image/dvrPixelConversion.h"

dvrPatternCamera::dvrPatternCamera(dvrBoard* board) : dvrCamera(board) {
    addResolution(352, 288, "352x288");
    addResolution(640, 480, "640x480");
    declareResolutionSetting();
    addSupportedFormat(dvrImage::formatUYVY);
    addSupportedFormat(dvrImage::formatRGB24);
    declareFormatSetting();
    setDefaultSize(352, 288);
}

dvrPatternCamera::~dvrPatternCamera() { detachObject(); }

void dvrPatternCamera::paint(Colour left, Colour right) {
    std::lock_guard<std::recursive_mutex> guard(imageLock());
    dvrImage* image = getImage();
    if (!image)
        return;
    const int width = image->width(), height = image->height();
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Colour& c = x < width / 2 ? left : right;
            std::uint8_t* pixel = &rgb[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3];
            pixel[0] = c.red;
            pixel[1] = c.green;
            pixel[2] = c.blue;
        }
    if (image->format() == dvrImage::formatRGB24)
        std::copy(rgb.begin(), rgb.end(), image->captureBuffer());
    else
        dvrPixelConversion::rgbToUyvy(rgb.data(), true, image->captureBuffer(), width, height);
    ++image->frameCounter;
}
