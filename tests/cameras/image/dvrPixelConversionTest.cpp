#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "image/dvrImage.h"
#include "image/dvrPixelConversion.h"

namespace {

struct Colour {
    const char* name;
    int r, g, b;
};

const Colour colours[] = {
    {"red", 255, 0, 0},     {"green", 0, 255, 0},  {"blue", 0, 0, 255},      {"white", 255, 255, 255},
    {"black", 0, 0, 0},     {"grey", 128, 128, 128}, {"yellow", 255, 255, 0}, {"cyan", 0, 255, 255},
    {"magenta", 255, 0, 255}, {"orange", 255, 128, 0},
};

constexpr int width = 8, height = 4;
constexpr int tolerance = 6;

void fill(dvrImage& image, const Colour& colour) {
    std::uint8_t* pixel = image.captureBuffer();
    bool redFirst = image.format() == dvrImage::formatRGB24;
    for (int i = 0; i < width * height; ++i, pixel += 3) {
        pixel[0] = static_cast<std::uint8_t>(redFirst ? colour.r : colour.b);
        pixel[1] = static_cast<std::uint8_t>(colour.g);
        pixel[2] = static_cast<std::uint8_t>(redFirst ? colour.b : colour.r);
    }
}

// Every pixel of an RGB24 frame is the colour, within the tolerance.
void expectColour(const std::uint8_t* rgb, const Colour& colour, bool bgr = false) {
    for (int i = 0; i < width * height; ++i, rgb += 3) {
        int r = bgr ? rgb[2] : rgb[0], b = bgr ? rgb[0] : rgb[2];
        ASSERT_NEAR(r, colour.r, tolerance) << colour.name << " pixel " << i;
        ASSERT_NEAR(rgb[1], colour.g, tolerance) << colour.name << " pixel " << i;
        ASSERT_NEAR(b, colour.b, tolerance) << colour.name << " pixel " << i;
    }
}

// RGB to UYVY and back: red stays red and blue stays blue, from either byte order.
TEST(dvrPixelConversionTest, ColoursSurviveTheRoundTripThroughUyvy) {
    for (int sourceFormat : {dvrImage::formatRGB24, dvrImage::formatBGR24}) {
        for (const Colour& colour : colours) {
            SCOPED_TRACE(std::string(colour.name) + (sourceFormat == 3 ? " from RGB24" : " from BGR24"));
            dvrImage rgb(width, height, sourceFormat, 1);
            fill(rgb, colour);
            const std::uint8_t* uyvy = rgb.convert(dvrImage::formatUYVY, false);
            ASSERT_NE(uyvy, nullptr);
            dvrImage back(width, height, dvrImage::formatUYVY, 1);
            std::copy(uyvy, uyvy + back.frameSize(), back.captureBuffer());
            expectColour(back.convert(dvrImage::formatRGB24, false), colour);
            expectColour(back.convert(dvrImage::formatBottomUpBGR24, true), colour, true);
        }
    }
}

TEST(dvrPixelConversionTest, KnownUyvyValues) {
    // Limited-range BT.601: white is Y 235 with neutral chroma; pure red has V (Cr) high, U low.
    struct Case {
        Colour colour;
        int u, y, v;
    } cases[] = {
        {{"white", 255, 255, 255}, 128, 235, 128},
        {{"black", 0, 0, 0}, 128, 16, 128},
        {{"red", 255, 0, 0}, 90, 82, 240},
        {{"blue", 0, 0, 255}, 240, 41, 110},
    };
    for (const Case& c : cases) {
        dvrImage rgb(width, height, dvrImage::formatRGB24, 1);
        fill(rgb, c.colour);
        const std::uint8_t* uyvy = rgb.convert(dvrImage::formatUYVY, false);
        EXPECT_NEAR(uyvy[0], c.u, 1) << c.colour.name;
        EXPECT_NEAR(uyvy[1], c.y, 1) << c.colour.name;
        EXPECT_NEAR(uyvy[2], c.v, 1) << c.colour.name;
        EXPECT_NEAR(uyvy[3], c.y, 1) << c.colour.name;
    }
}

TEST(dvrPixelConversionTest, ByteOrderAndRowOrderConversions) {
    dvrImage bgr(2, 2, dvrImage::formatBGR24, 1);
    const std::uint8_t pixels[] = {1, 2, 3, 4, 5, 6, /* second row */ 7, 8, 9, 10, 11, 12};
    std::copy(std::begin(pixels), std::end(pixels), bgr.captureBuffer());
    struct Case {
        int target;
        std::vector<int> expected;
    } cases[] = {
        {dvrImage::formatRGB24, {3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}},
        {dvrImage::formatBGR24, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        // Bottom-up BGR from BGR: the rows turn over, the bytes keep their order.
        {dvrImage::formatBottomUpBGR24, {7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}},
    };
    for (const Case& c : cases) {
        const std::uint8_t* out = bgr.convert(c.target, false);
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(std::vector<int>(out, out + 12), c.expected) << c.target;
    }
    dvrImage rgb(2, 2, dvrImage::formatRGB24, 1);
    std::copy(std::begin(pixels), std::end(pixels), rgb.captureBuffer());
    const std::uint8_t* bottomUp = rgb.convert(dvrImage::formatBottomUpBGR24, false);
    EXPECT_EQ(std::vector<int>(bottomUp, bottomUp + 12), (std::vector<int>{9, 8, 7, 12, 11, 10, 3, 2, 1, 6, 5, 4}));
}

TEST(dvrPixelConversionTest, PlanarRoundTrips) {
    dvrImage uyvy(6, 4, dvrImage::formatUYVY, 1);
    std::uint8_t* frame = uyvy.captureBuffer();
    for (std::size_t i = 0; i < uyvy.frameSize(); ++i)
        frame[i] = static_cast<std::uint8_t>(i * 7 + 3);

    const std::uint8_t* planar422 = uyvy.convert(dvrImage::formatPlanar422, false);
    EXPECT_EQ(planar422[0], frame[1]);    // first luminance
    EXPECT_EQ(planar422[24], frame[0]);   // first U
    EXPECT_EQ(planar422[24 + 12], frame[2]); // first V
    dvrImage back(6, 4, dvrImage::formatPlanar422, 1);
    std::copy(planar422, planar422 + back.frameSize(), back.captureBuffer());
    const std::uint8_t* again = back.convert(dvrImage::formatUYVY, false);
    EXPECT_EQ(std::vector<std::uint8_t>(again, again + uyvy.frameSize()),
              std::vector<std::uint8_t>(frame, frame + uyvy.frameSize()));

    // 4:2:0 keeps the chroma of even rows and repeats it for the odd ones.
    const std::uint8_t* planar420 = uyvy.convert(dvrImage::formatPlanar420, true);
    dvrImage half(6, 4, dvrImage::formatPlanar420, 1);
    std::copy(planar420, planar420 + 24 + 2 * 6, half.captureBuffer());
    const std::uint8_t* restored = half.convert(dvrImage::formatUYVY, false);
    for (int row = 0; row < 4; ++row)
        for (int byte = 0; byte < 12; ++byte) {
            int expected = byte % 2 == 1 ? frame[row * 12 + byte] : frame[(row & ~1) * 12 + byte];
            EXPECT_EQ(restored[row * 12 + byte], expected) << row << "," << byte;
        }
}

TEST(dvrPixelConversionTest, PairsWithoutAConversionGiveNothing) {
    struct Case {
        int source, target;
    } cases[] = {{2, 4}, {2, 7}, {4, 3}, {10, 3}, {8, 9}, {9, 10}};
    for (const Case& c : cases) {
        dvrImage image(8, 4, c.source, 1);
        EXPECT_EQ(image.convert(c.target, false), nullptr) << c.source << " to " << c.target;
    }
}

} // namespace
