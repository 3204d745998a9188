#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// What the capture thread hands to the recording storage with each recorded frame. Its first
// 220 bytes are the header stored in front of every frame in the page files; the last 20 bytes
// say when and where the frame was taken. All integers are little-endian.
struct dvrFrameRecord {
    static constexpr std::size_t headerSize = 220;
    static constexpr std::size_t recordSize = 240;
    static constexpr std::size_t motionBitmapSize = 198;

    std::uint32_t compressedSize = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t keyFrame = 0; // 1 or 0
    // Four-letter codec code, first letter in the lowest byte.
    std::uint32_t code = 0;
    std::array<std::uint8_t, motionBitmapSize> motionBitmap{};
    // Filled in by the storage writer: 0 or the length of the extension that follows the header.
    std::uint16_t extensionLength = 0;
    std::uint32_t seconds = 0;      // since 1970-01-01 UTC
    std::uint32_t milliseconds = 0; // 0-999
    std::uint32_t boardId = 0;
    std::uint32_t input = 0;

    static std::uint32_t codeOf(const std::string& fourLetters);
    std::string codeText() const;

    std::array<std::uint8_t, headerSize> packHeader() const;
    std::array<std::uint8_t, recordSize> pack() const;
    // Reads a header (220 bytes) or a whole record (240 bytes); false when fewer bytes are given.
    static bool unpackHeader(const std::uint8_t* bytes, std::size_t length, dvrFrameRecord& record);
    static bool unpack(const std::uint8_t* bytes, std::size_t length, dvrFrameRecord& record);

    bool operator==(const dvrFrameRecord&) const = default;
};
