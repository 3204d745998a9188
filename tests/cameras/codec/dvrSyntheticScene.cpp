#include "dvrSyntheticScene.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "image/dvrImage.h"

namespace {

std::uint8_t byteOf(double value) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

} // namespace

dvrSyntheticScene::dvrSyntheticScene(int width, int height) : width_(width), height_(height) {}

dvrSyntheticScene::Colour dvrSyntheticScene::colourAt(int x, int y, int frame) const {
    Colour colour{40.0 + 170.0 * x / width_, 40.0 + 170.0 * y / height_,
                  120.0 + 60.0 * std::sin((x + y + 3 * frame) * 0.03)};
    // A fine, low-contrast texture so the picture is not trivially flat.
    const double texture = ((x / 4 + y / 4) % 2) ? 6.0 : -6.0;
    colour.red += texture;
    colour.green += texture;
    colour.blue += texture;
    const int side = std::max(8, std::min(width_, height_) / 6);
    const int brightX = (frame * 6) % std::max(1, width_ - side);
    const int brightY = height_ / 4;
    if (x >= brightX && x < brightX + side && y >= brightY && y < brightY + side)
        colour = {235.0, 230.0, 60.0};
    const int darkX = width_ / 2;
    const int darkY = (frame * 4) % std::max(1, height_ - side);
    if (x >= darkX && x < darkX + side && y >= darkY && y < darkY + side)
        colour = {30.0, 40.0, 150.0};
    return colour;
}

std::vector<std::uint8_t> dvrSyntheticScene::uyvy(int frame) const {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width_) * height_ * 2);
    std::size_t i = 0;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x + 1 < width_; x += 2) {
            double luma[2], blue = 0, red = 0;
            for (int k = 0; k < 2; ++k) {
                Colour c = colourAt(x + k, y, frame);
                // ITU-R BT.601, limited range.
                luma[k] = 16.0 + 0.257 * c.red + 0.504 * c.green + 0.098 * c.blue;
                blue += 128.0 - 0.148 * c.red - 0.291 * c.green + 0.439 * c.blue;
                red += 128.0 + 0.439 * c.red - 0.368 * c.green - 0.071 * c.blue;
            }
            out[i++] = byteOf(blue / 2);
            out[i++] = byteOf(luma[0]);
            out[i++] = byteOf(red / 2);
            out[i++] = byteOf(luma[1]);
        }
    return out;
}

std::vector<std::uint8_t> dvrSyntheticScene::rgb(int frame, bool bgr) const {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width_) * height_ * 3);
    std::size_t i = 0;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            Colour c = colourAt(x, y, frame);
            out[i++] = byteOf(bgr ? c.blue : c.red);
            out[i++] = byteOf(c.green);
            out[i++] = byteOf(bgr ? c.red : c.blue);
        }
    return out;
}

void dvrSyntheticScene::draw(dvrImage& image, int frame) const {
    std::vector<std::uint8_t> pixels;
    if (image.format() == dvrImage::formatRGB24 || image.format() == dvrImage::formatBGR24)
        pixels = rgb(frame, image.format() == dvrImage::formatBGR24);
    else
        pixels = uyvy(frame);
    std::memcpy(image.captureBuffer(), pixels.data(), std::min(pixels.size(), image.frameSize()));
}
