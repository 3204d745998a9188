#include <gtest/gtest.h>

#include <string>

#include "image/dvrImage.h"

namespace {

TEST(dvrImageTest, ConstructionBoundsAndBlackCaptureBuffer) {
    struct Case {
        int width, height, format, ring;
        int expectedWidth, expectedHeight, expectedFormat, expectedRing, bytesPerPixel;
    } cases[] = {
        {352, 288, 2, 1, 352, 288, 2, 2, 2},   {640, 480, 3, 3, 640, 480, 3, 3, 3},
        {64, 48, 4, 40, 64, 48, 4, 16, 4},     {64, 48, 7, 2, 64, 48, 7, 2, 3},
        {64, 48, 10, 2, 64, 48, 10, 2, 3},     {64, 48, 8, 2, 64, 48, 8, 2, 2},
        {0, -5, 99, -1, 1, 1, 2, 2, 2},        {100000, 48, 3, 2, 1, 48, 3, 2, 3},
    };
    for (const Case& c : cases) {
        dvrImage image(c.width, c.height, c.format, c.ring);
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " format " + std::to_string(c.format));
        EXPECT_EQ(image.width(), c.expectedWidth);
        EXPECT_EQ(image.height(), c.expectedHeight);
        EXPECT_EQ(image.format(), c.expectedFormat);
        EXPECT_EQ(image.ringCount(), c.expectedRing);
        EXPECT_EQ(image.bytesPerPixel(), c.bytesPerPixel);
        EXPECT_EQ(image.frameSize(), static_cast<std::size_t>(c.expectedWidth) * c.expectedHeight * c.bytesPerPixel);
    }
    dvrImage uyvy(4, 2, 2, 1);
    const std::uint8_t* black = uyvy.captureBuffer();
    for (std::size_t i = 0; i < uyvy.frameSize(); i += 2) {
        EXPECT_EQ(black[i], 0x80);
        EXPECT_EQ(black[i + 1], 0x00);
    }
}

TEST(dvrImageTest, BufferNumbers) {
    dvrImage image(32, 16, 2, 3);
    EXPECT_EQ(image.buffer(0), image.captureBuffer());
    EXPECT_NE(image.buffer(1), image.captureBuffer());
    EXPECT_EQ(image.buffer(12), image.buffer(2));
    EXPECT_EQ(image.buffer(7), image.captureBuffer()); // no such ring buffer
    EXPECT_EQ(image.buffer(-1), image.captureBuffer());
    EXPECT_EQ(image.buffer(99), image.compressedBuffer());
    EXPECT_EQ(image.buffer(100), image.motionMap());
    EXPECT_EQ(image.buffer(101), image.previousMotionMap());
    EXPECT_EQ(image.buffer(102), image.packedMotion());
    EXPECT_EQ(image.buffer(200), image.workBuffer(false));
    EXPECT_EQ(image.buffer(201), image.workBuffer(true));
}

TEST(dvrImageTest, CompressedSizeNeverExceedsTheBuffer) {
    dvrImage image(32, 16, 2, 1);
    EXPECT_TRUE(image.setCompressed(1000, true));
    EXPECT_EQ(image.compressedSize(), 1000u);
    EXPECT_TRUE(image.isKeyFrame());
    EXPECT_TRUE(image.setCompressed(dvrImage::compressedCapacity, false));
    EXPECT_FALSE(image.setCompressed(dvrImage::compressedCapacity + 1, true));
    EXPECT_EQ(image.compressedSize(), dvrImage::compressedCapacity);
    EXPECT_FALSE(image.isKeyFrame());
}

TEST(dvrImageTest, MaskTextsRoundTripAndRefuseWrongLengths) {
    dvrImage image(352, 288, 2, 1);
    image.setMaskCell(0, 0, 1);
    image.setMaskCell(43, 35, 12); // stored as 8
    image.setMaskCell(44, 0, 1);   // outside: ignored
    image.setMaskCell(-1, 3, 1);
    image.setMaskCell(5, 7, 3);
    EXPECT_EQ(image.maskCell(43, 35), 8);

    std::string part0 = image.saveMaskRows(0);
    ASSERT_EQ(part0.size(), dvrImage::maskTextLength);
    EXPECT_EQ(part0[0], 'B');
    EXPECT_EQ(part0.find_first_not_of('A', 1), std::string::npos); // cell (5, 7) is in part 1
    EXPECT_EQ(image.saveMaskRows(1)[44 * 1 + 5], 'D');
    EXPECT_EQ(image.saveMaskRows(5).back(), 'I');

    dvrImage copy(352, 288, 2, 1);
    for (int part = 0; part < dvrImage::maskParts; ++part)
        EXPECT_TRUE(copy.loadMaskRows(part, image.saveMaskRows(part)));
    for (int part = 0; part < dvrImage::maskParts; ++part)
        EXPECT_EQ(copy.saveMaskRows(part), image.saveMaskRows(part));

    EXPECT_FALSE(copy.loadMaskRows(0, std::string(263, 'C')));
    EXPECT_FALSE(copy.loadMaskRows(0, std::string(265, 'C')));
    EXPECT_FALSE(copy.loadMaskRows(6, std::string(264, 'C')));
    EXPECT_EQ(copy.maskCell(0, 0), 1);
    EXPECT_TRUE(copy.loadMaskRows(0, std::string(264, 'z'))); // out-of-range letters are limited
    EXPECT_EQ(copy.maskCell(3, 3), 8);
}

TEST(dvrImageTest, PackingKeepsOnlyCellsAboveTen) {
    dvrImage image(352, 288, 2, 1);
    std::uint8_t* map = image.buffer(dvrImage::motionMapNumber);
    const int values[] = {0, 9, 10, 11, 255, 3};
    for (int i = 0; i < dvrImage::gridCells; ++i)
        map[i] = static_cast<std::uint8_t>(values[i % 6]);
    image.pack();
    EXPECT_EQ(image.packedMotion()[0], 0b00011000); // cells 3 and 4
    const std::uint8_t* unpacked = image.buffer(dvrImage::unpackedMotionMapNumber);
    for (int i = 0; i < dvrImage::gridCells; ++i)
        EXPECT_EQ(unpacked[i], values[i % 6] > 10 ? 11 : 0) << i;
}

TEST(dvrImageTest, MotionInZoneLooksAtZoneOneCellsOnly) {
    dvrImage image(352, 288, 2, 1);
    std::uint8_t* map = image.buffer(dvrImage::motionMapNumber);
    image.setMaskCell(2, 0, 1);
    image.setMaskCell(3, 0, 2);
    map[3] = 200; // zone 2 cell
    EXPECT_FALSE(image.motionInZone());
    map[2] = 9;
    EXPECT_FALSE(image.motionInZone());
    map[2] = 10;
    EXPECT_TRUE(image.motionInZone());
}

} // namespace
