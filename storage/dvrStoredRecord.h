#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "capture/dvrFrameRecord.h"
#include "dvrIndexRow.h"

// The bytes in front of every frame in a page file: the 220-byte frame header and, when bit 15
// of its flags is set, a storage extension (32 bytes when this recorder writes it) that says
// when and by which camera the frame was taken. All integers little-endian.
class dvrStoredRecord {
public:
    static constexpr std::size_t headerSize = dvrFrameRecord::headerSize;
    static constexpr std::size_t extensionSize = 32;
    static constexpr std::size_t prefixSize = headerSize + extensionSize;
    static constexpr std::uint32_t keyFrameFlag = 0x1;
    static constexpr std::uint32_t extensionFlag = 0x8000;
    // The recorder stores frames of 1 to this many bytes.
    static constexpr std::uint32_t maximumStoredBytes = 262143;
    // Readers refuse records that claim more.
    static constexpr std::uint32_t maximumReadBytes = 512000;

    // What the writer puts in front of a frame: the hand-off header with bit 15 set and the
    // extension length 32, then the extension.
    static std::array<std::uint8_t, prefixSize> pack(const dvrFrameRecord& frame);

    // What a reader finds at the start of a record.
    struct Parsed {
        dvrFrameRecord header;         // flags are in header.keyFrame
        std::uint32_t dataOffset = 0;  // from the record's start
        bool hasExtension = false;     // a 32-byte extension was present
        std::int32_t seconds = 0;
        std::int32_t microseconds = 0;
        std::uint8_t board = 0;
        std::uint8_t input = 0;
    };
    // Reads a prefix of `length` bytes (at least 220; 252 to see a 32-byte extension). False,
    // with the reason, for an extension length other than 0 and 32, a missing extension, or a
    // size of 0 or above the readable limit.
    static bool parse(const std::uint8_t* bytes, std::size_t length, Parsed& parsed, std::string& reason);
    // Whether a parsed record is the frame an index row describes; the reason when not.
    static bool matches(const Parsed& parsed, const dvrIndexRow& row, std::string& reason);
};
