#include "capture/dvrFrameRecord.h"

#include <gtest/gtest.h>

namespace {

dvrFrameRecord sampleRecord() {
    dvrFrameRecord record;
    record.compressedSize = 0x01020304;
    record.width = 352;
    record.height = 288;
    record.keyFrame = 1;
    record.code = dvrFrameRecord::codeOf("MPG4");
    for (std::size_t i = 0; i < record.motionBitmap.size(); ++i) record.motionBitmap[i] = static_cast<std::uint8_t>(i);
    record.extensionLength = 32;
    record.seconds = 1765432100;
    record.milliseconds = 999;
    record.boardId = 7;
    record.input = 31;
    return record;
}

TEST(dvrFrameRecord, FieldsSitAtTheirOffsetsLittleEndian) {
    const auto bytes = sampleRecord().pack();
    ASSERT_EQ(bytes.size(), 240u);
    EXPECT_EQ(bytes[0], 0x04);
    EXPECT_EQ(bytes[3], 0x01);
    EXPECT_EQ(bytes[4] | bytes[5] << 8, 352);
    EXPECT_EQ(bytes[8] | bytes[9] << 8, 288);
    EXPECT_EQ(bytes[12], 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[16]), 4), "MPG4");
    EXPECT_EQ(bytes[20], 0);
    EXPECT_EQ(bytes[20 + 197], 197);
    EXPECT_EQ(bytes[218] | bytes[219] << 8, 32);
    for (int i = 220; i < 224; ++i) EXPECT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(bytes[228] | bytes[229] << 8, 999);
    EXPECT_EQ(bytes[232], 7);
    EXPECT_EQ(bytes[236], 31);
}

TEST(dvrFrameRecord, UnpackGivesBackWhatWasPackedAndRefusesShortInput) {
    const dvrFrameRecord original = sampleRecord();
    const auto bytes = original.pack();
    dvrFrameRecord copy;
    ASSERT_TRUE(dvrFrameRecord::unpack(bytes.data(), bytes.size(), copy));
    EXPECT_EQ(copy, original);
    EXPECT_EQ(copy.codeText(), "MPG4");

    dvrFrameRecord header;
    ASSERT_TRUE(dvrFrameRecord::unpackHeader(bytes.data(), dvrFrameRecord::headerSize, header));
    EXPECT_EQ(header.motionBitmap, original.motionBitmap);
    EXPECT_EQ(header.seconds, 0u);

    EXPECT_FALSE(dvrFrameRecord::unpack(bytes.data(), 239, copy));
    EXPECT_FALSE(dvrFrameRecord::unpackHeader(bytes.data(), 219, copy));
    EXPECT_FALSE(dvrFrameRecord::unpackHeader(nullptr, 240, copy));
}

} // namespace
