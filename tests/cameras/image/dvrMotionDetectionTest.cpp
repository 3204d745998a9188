#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "image/dvrImage.h"

namespace {

// Parameters of one detection: sensitivity A, sensitivity B, noise filter, tolerance.
struct Parameters {
    int sensitivityA = 1, sensitivityB = 1, noiseFilter = 0, tolerance = 0;
};

int detect(dvrImage& image, Parameters p) {
    return image.detect(2, p.sensitivityA, p.sensitivityB, p.noiseFilter, p.tolerance);
}

// Raises the luminance of count pixels of the 8 x 8 sample block of a cell by delta.
void changeBlock(dvrImage& image, int column, int row, int count, int delta) {
    int cellWidth = (image.width() + 43) / 44, cellHeight = (image.height() + 35) / 36;
    std::uint8_t* frame = image.captureBuffer();
    for (int i = 0; i < count; ++i) {
        int x = column * cellWidth + i % 8, y = row * cellHeight + i / 8;
        frame[(static_cast<std::size_t>(y) * image.width() + x) * 2 + 1] += static_cast<std::uint8_t>(delta);
    }
}

TEST(dvrMotionDetectionTest, AmountsOnSyntheticPictures) {
    struct Case {
        const char* what;
        int changedPixels, delta;
        Parameters parameters;
        bool masked;
        int amount;
    } cases[] = {
        {"identical frame", 0, 0, {}, false, 0},
        {"block moves", 64, 3, {}, false, 64 * 3},
        {"masked cell", 64, 40, {}, true, 0},
        {"sensitivity A divides the cell", 64, 12, {4, 1, 0, 0}, false, 64 * 12 / 4},
        {"sensitivity B divides the total", 64, 3, {1, 16, 0, 0}, false, 64 * 3 / 16},
        {"cell capped at 255", 64, 40, {2, 1, 0, 0}, false, 255},
        {"cell of 2 counts as nothing", 2, 1, {}, false, 0},
        {"cell of 3 counts", 3, 1, {}, false, 3},
        {"noise filter shifts each sample", 64, 7, {1, 1, 3, 0}, false, 0},
        {"noise filter shifts before summing", 64, 8, {1, 1, 3, 0}, false, 64},
        {"amount equal to the tolerance is no motion", 56, 1, {1, 8, 0, 7}, false, 0},
        {"amount above the tolerance is motion", 64, 1, {1, 8, 0, 7}, false, 8},
        {"noise filter 8 detects nothing", 64, 255, {1, 1, 8, 0}, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dvrImage image(704, 576, dvrImage::formatUYVY, 1);
        image.refreshReference();
        if (c.masked)
            image.setMaskCell(10, 5, 1);
        changeBlock(image, 10, 5, c.changedPixels, c.delta);
        EXPECT_EQ(detect(image, c.parameters), c.amount);
    }
}

TEST(dvrMotionDetectionTest, TheMotionMapHoldsTheCellAndTheLastMapIsKept) {
    dvrImage image(704, 576, dvrImage::formatUYVY, 1);
    image.refreshReference();
    changeBlock(image, 43, 35, 64, 2);
    EXPECT_EQ(detect(image, {}), 128);
    EXPECT_EQ(image.motionMap()[35 * 44 + 43], 128);
    image.refreshReference();
    EXPECT_EQ(detect(image, {}), 0);
    EXPECT_EQ(image.motionMap()[35 * 44 + 43], 0);
    EXPECT_EQ(image.previousMotionMap()[35 * 44 + 43], 128);
    EXPECT_EQ(image.detect(1, 1, 1, 0, 0), 0); // only mode 2 detects
}

TEST(dvrMotionDetectionTest, UsedGridFollowsThePictureSize) {
    struct Case {
        int width, height, columns, rows;
    } cases[] = {{720, 576, 42, 36}, {704, 576, 44, 36}, {352, 240, 44, 34}, {176, 144, 44, 36}, {10, 6, 10, 6}};
    for (const Case& c : cases) {
        dvrImage image(c.width, c.height, dvrImage::formatUYVY, 1);
        image.detect(2, 1, 1, 0, 0);
        EXPECT_EQ(image.usedColumns(), c.columns) << c.width;
        EXPECT_EQ(image.usedRows(), c.rows) << c.height;
    }
}

// Cells smaller than the 8 x 8 sample block: the block is clipped to the picture, so the last
// cells read only what is there (run under the address sanitizer to see that nothing is read
// beyond the buffers).
TEST(dvrMotionDetectionTest, SmallPicturesAreReadWithinTheirBuffers) {
    for (int format : {dvrImage::formatUYVY, dvrImage::formatRGB24, dvrImage::formatBGR24}) {
        for (auto [width, height] : {std::pair{176, 144}, std::pair{64, 48}, std::pair{10, 6}, std::pair{1, 1}}) {
            dvrImage image(width, height, format, 1);
            image.refreshReference();
            std::memset(image.captureBuffer(), 200, image.frameSize());
            EXPECT_GT(image.detect(2, 1, 1, 0, 0), 0) << format << " " << width << "x" << height;
            // The bottom-right cell sees the change.
            EXPECT_GT(image.motionMap()[(image.usedRows() - 1) * 44 + image.usedColumns() - 1], 0);
        }
    }
}

TEST(dvrMotionDetectionTest, FormatsWithoutASampledByteGiveNothing) {
    for (int format : {dvrImage::formatRGB32, dvrImage::formatPlanar422, dvrImage::formatPlanar420, dvrImage::formatBottomUpBGR24}) {
        dvrImage image(64, 48, format, 1);
        image.refreshReference();
        std::memset(image.captureBuffer(), 200, image.frameSize());
        EXPECT_EQ(image.detect(2, 1, 1, 0, 0), 0) << format;
    }
}

} // namespace
