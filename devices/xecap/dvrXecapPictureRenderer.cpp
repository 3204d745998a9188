#include "dvrXecapPictureRenderer.h"

#include <algorithm>
#include <cstddef>

namespace {

constexpr int glyphWidth = 5;
constexpr int glyphHeight = 7;

// 5 x 7 glyphs of the digits and ':', one row per byte, bit 4 the leftmost column.
constexpr std::uint8_t digitGlyphs[10][glyphHeight] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
};
constexpr std::uint8_t colonGlyph[glyphHeight] = {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00};

struct Colour {
    std::uint8_t luma;
    std::uint8_t u;
    std::uint8_t v;
};

class Canvas {
public:
    Canvas(std::vector<std::uint8_t>& bytes, int width, int height)
        : bytes_(bytes), width_(width), height_(height) {}

    void fill(int left, int top, int width, int height, Colour colour) {
        int right = std::min(left + width, width_);
        int bottom = std::min(top + height, height_);
        for (int y = std::max(top, 0); y < bottom; ++y)
            for (int x = std::max(left, 0); x < right; ++x)
                put(x, y, colour);
    }

    // Changes the colour of a pixel pair and leaves its brightness alone.
    void tint(int x, int y, std::uint8_t u, std::uint8_t v) {
        if (x < 0 || x >= width_ || y < 0 || y >= height_)
            return;
        std::size_t pair = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                            static_cast<std::size_t>(x & ~1)) *
                           2;
        bytes_[pair] = u;
        bytes_[pair + 2] = v;
    }

    void put(int x, int y, Colour colour) {
        std::size_t pixel =
            (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)) *
            2;
        std::size_t pair = pixel & ~static_cast<std::size_t>(3);
        bytes_[pixel + 1] = colour.luma;
        bytes_[pair] = colour.u;
        bytes_[pair + 2] = colour.v;
    }

    int width() const { return width_; }
    int height() const { return height_; }

private:
    std::vector<std::uint8_t>& bytes_;
    int width_;
    int height_;
};

const std::uint8_t* glyphOf(char character) {
    if (character >= '0' && character <= '9')
        return digitGlyphs[character - '0'];
    if (character == ':')
        return colonGlyph;
    return nullptr;
}

// Text drawn either in a colour (brightness and colour) or as a tint (colour only).
void drawText(Canvas& canvas, const std::string& text, int left, int top, int scale, const Colour& colour,
              bool tintOnly) {
    for (std::size_t position = 0; position < text.size(); ++position) {
        const std::uint8_t* glyph = glyphOf(text[position]);
        int glyphLeft = left + static_cast<int>(position) * (glyphWidth + 1) * scale;
        if (!glyph)
            continue;
        for (int row = 0; row < glyphHeight; ++row)
            for (int column = 0; column < glyphWidth; ++column) {
                if ((glyph[row] & (0x10 >> column)) == 0)
                    continue;
                int x = glyphLeft + column * scale;
                int y = top + row * scale;
                if (tintOnly) {
                    for (int dy = 0; dy < scale; ++dy)
                        for (int dx = 0; dx < scale; ++dx)
                            canvas.tint(x + dx, y + dy, colour.u, colour.v);
                } else {
                    canvas.fill(x, y, scale, scale, colour);
                }
            }
    }
}

// Position on a back-and-forth path of the given length in whole steps, so that consecutive
// pictures always differ by one step.
int bounce(std::uint64_t sequence, int step, int length) {
    int steps = std::max(1, length / std::max(1, step));
    std::uint64_t period = static_cast<std::uint64_t>(steps) * 2;
    int phase = static_cast<int>(sequence % period);
    int position = phase <= steps ? phase : static_cast<int>(period) - phase;
    return position * step;
}

} // namespace

void dvrXecapPictureRenderer::render(const Scene& scene, std::vector<std::uint8_t>& bytes) {
    int width = std::max(scene.width, 2) & ~1;
    int height = std::max(scene.height, 1);
    bytes.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 2, 0);
    Canvas canvas(bytes, width, height);

    // Each input has its own tint and a gentle vertical shading.
    int input = std::max(scene.input, 0);
    std::uint8_t baseLuma = static_cast<std::uint8_t>(70 + (input * 13) % 50);
    std::uint8_t baseU = static_cast<std::uint8_t>(112 + (input * 37) % 32);
    std::uint8_t baseV = static_cast<std::uint8_t>(112 + (input * 53) % 32);
    for (int y = 0; y < height; ++y) {
        std::uint8_t luma = static_cast<std::uint8_t>(baseLuma + (y * 24) / height);
        canvas.fill(0, y, width, 1, {luma, baseU, baseV});
    }

    int scale = std::max(1, height / 144);
    int step = std::max(2, width / 22);
    int boxWidth = std::max(4, width / 8);
    int boxHeight = std::max(4, height / 6);
    std::uint64_t sequence = scene.moving ? scene.sequence : 0;
    int horizontal = bounce(sequence, step, width - boxWidth);
    canvas.fill(horizontal, height / 2 - boxHeight / 2, boxWidth, boxHeight, {225, 128, 128});
    int diagonal = bounce(sequence + 3, step, std::min(width - boxWidth, height - boxHeight));
    canvas.fill(diagonal, diagonal, boxWidth, boxHeight, {25, 150, 110});

    // The input number, 1-based, on a dark plate.
    std::string number = std::to_string(input + 1);
    if (number.size() < 2)
        number.insert(number.begin(), '0');
    int numberScale = scale * 2;
    canvas.fill(0, 0, (glyphWidth + 1) * numberScale * 2 + 2 * numberScale, (glyphHeight + 2) * numberScale,
                {16, 128, 128});
    drawText(canvas, number, numberScale, numberScale, numberScale, {235, 128, 128}, false);

    // The clock: a plate of one brightness, the digits only a different colour on it.
    int clockTop = height - (glyphHeight + 2) * scale;
    int clockWidth = static_cast<int>(scene.clock.size()) * (glyphWidth + 1) * scale + 2 * scale;
    canvas.fill(0, clockTop, clockWidth, (glyphHeight + 2) * scale, {128, 128, 128});
    drawText(canvas, scene.clock, scale, clockTop + scale, scale, {128, 40, 230}, true);
}
