#include <gtest/gtest.h>

#include "dvrStorageTestSupport.h"
#include "dvrStoredRecord.h"

namespace {

dvrIndexRow rowFor(const dvrFrameRecord& record) {
    dvrIndexRow row;
    row.time = record.seconds;
    row.milliseconds = static_cast<std::int32_t>(record.milliseconds);
    row.bytes = record.compressedSize;
    row.flags = record.keyFrame | dvrStoredRecord::extensionFlag;
    row.codec = record.codeText();
    row.device = static_cast<std::int32_t>(record.boardId);
    row.input = static_cast<std::int32_t>(record.input);
    row.partition = "d";
    return row;
}

TEST(dvrStoredRecord, PackedPrefixHasTheStoredLayout) {
    dvrTestFrame frame = makeTestFrame(1000, 1700000000, 250, 0x1203, 7, "MPG4");
    auto bytes = dvrStoredRecord::pack(frame.record);
    ASSERT_EQ(bytes.size(), 252u);
    EXPECT_EQ(bytes[0] | bytes[1] << 8, 1000);
    EXPECT_EQ(bytes[12], 0x01);
    EXPECT_EQ(bytes[13], 0x80); // bit 15: an extension follows
    EXPECT_EQ(std::string(bytes.begin() + 16, bytes.begin() + 20), "MPG4");
    EXPECT_EQ(bytes[20], 0x81);
    EXPECT_EQ(bytes[218] | bytes[219] << 8, 32);
    const std::uint8_t* extension = bytes.data() + 220;
    EXPECT_EQ(extension[0] | extension[1] << 8 | extension[2] << 16 | static_cast<std::uint32_t>(extension[3]) << 24,
              1700000000u);
    EXPECT_EQ(extension[4] | extension[5] << 8 | extension[6] << 16, 250000);
    EXPECT_EQ(extension[8], 0x03); // low 8 bits of the board ID
    EXPECT_EQ(extension[9], 7);
    EXPECT_EQ(extension[12], 1);
    for (int i : {10, 11, 13, 14, 15, 16, 17, 18, 31})
        EXPECT_EQ(extension[i], 0) << i;
}

TEST(dvrStoredRecord, ParsesWhatItPacksAndItMatchesItsRow) {
    dvrTestFrame frame = makeTestFrame(4321, 1700000001, 999, 2, 3);
    auto bytes = dvrStoredRecord::pack(frame.record);
    dvrStoredRecord::Parsed parsed;
    std::string reason;
    ASSERT_TRUE(dvrStoredRecord::parse(bytes.data(), bytes.size(), parsed, reason)) << reason;
    EXPECT_EQ(parsed.dataOffset, 252u);
    EXPECT_TRUE(parsed.hasExtension);
    EXPECT_TRUE(dvrStoredRecord::matches(parsed, rowFor(frame.record), reason)) << reason;
}

TEST(dvrStoredRecord, RecordWithoutExtensionHasItsDataRightAfterTheHeader) {
    dvrTestFrame frame = makeTestFrame(100, 5);
    for (bool bit15 : {false, true}) {
        dvrFrameRecord header = frame.record;
        header.keyFrame = bit15 ? 0x8001 : 0x1;
        header.extensionLength = 0;
        auto bytes = header.packHeader();
        dvrStoredRecord::Parsed parsed;
        std::string reason;
        ASSERT_TRUE(dvrStoredRecord::parse(bytes.data(), bytes.size(), parsed, reason)) << reason;
        EXPECT_EQ(parsed.dataOffset, 220u);
        EXPECT_FALSE(parsed.hasExtension);
    }
}

TEST(dvrStoredRecord, RefusesPrefixesThatCannotBeRecords) {
    struct Case {
        const char* name;
        std::uint32_t bytes;
        std::uint16_t extensionLength;
    } cases[] = {
        {"odd extension length", 100, 7},
        {"no data", 0, 32},
        {"more than a reader takes", 512001, 32},
    };
    for (const Case& c : cases) {
        dvrFrameRecord header = makeTestFrame(10, 5).record;
        header.keyFrame = 0x8000;
        header.compressedSize = c.bytes;
        header.extensionLength = c.extensionLength;
        auto bytes = header.packHeader();
        std::vector<std::uint8_t> prefix(bytes.begin(), bytes.end());
        prefix.resize(252);
        dvrStoredRecord::Parsed parsed;
        std::string reason;
        EXPECT_FALSE(dvrStoredRecord::parse(prefix.data(), prefix.size(), parsed, reason)) << c.name;
        EXPECT_FALSE(reason.empty()) << c.name;
    }
}

TEST(dvrStoredRecord, MismatchWithTheIndexRowIsReported) {
    const dvrTestFrame frame = makeTestFrame(500, 1000, 40, 4, 2);
    auto bytes = dvrStoredRecord::pack(frame.record);
    dvrStoredRecord::Parsed parsed;
    std::string reason;
    ASSERT_TRUE(dvrStoredRecord::parse(bytes.data(), bytes.size(), parsed, reason));
    struct Case {
        const char* name;
        void (*change)(dvrIndexRow&);
    } cases[] = {
        {"size", [](dvrIndexRow& r) { r.bytes = 501; }},
        {"flags", [](dvrIndexRow& r) { r.flags = 0x8000; }},
        {"codec", [](dvrIndexRow& r) { r.codec = "MPG4"; }},
        {"time", [](dvrIndexRow& r) { r.time = 1001; }},
        {"milliseconds", [](dvrIndexRow& r) { r.milliseconds = 41; }},
        {"board", [](dvrIndexRow& r) { r.device = 5; }},
        {"input", [](dvrIndexRow& r) { r.input = 3; }},
    };
    for (const Case& c : cases) {
        dvrIndexRow row = rowFor(frame.record);
        c.change(row);
        EXPECT_FALSE(dvrStoredRecord::matches(parsed, row, reason)) << c.name;
        EXPECT_NE(reason.find(c.name), std::string::npos) << reason;
    }
}

} // namespace
