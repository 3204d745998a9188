#include "capture/dvrFrameRecord.h"

#include <algorithm>

namespace {

void put32(std::uint8_t* to, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) to[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t get32(const std::uint8_t* from) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(from[i]) << (8 * i);
    return value;
}

constexpr std::size_t bitmapOffset = 20;
constexpr std::size_t extensionOffset = 218;

} // namespace

std::uint32_t dvrFrameRecord::codeOf(const std::string& fourLetters) {
    std::uint32_t code = 0;
    for (std::size_t i = 0; i < 4 && i < fourLetters.size(); ++i)
        code |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(fourLetters[i])) << (8 * i);
    return code;
}

std::string dvrFrameRecord::codeText() const {
    std::string text;
    for (int i = 0; i < 4; ++i) {
        const char letter = static_cast<char>((code >> (8 * i)) & 0xff);
        if (letter == '\0') break;
        text += letter;
    }
    return text;
}

std::array<std::uint8_t, dvrFrameRecord::headerSize> dvrFrameRecord::packHeader() const {
    std::array<std::uint8_t, headerSize> bytes{};
    put32(&bytes[0], compressedSize);
    put32(&bytes[4], width);
    put32(&bytes[8], height);
    put32(&bytes[12], keyFrame);
    put32(&bytes[16], code);
    std::copy(motionBitmap.begin(), motionBitmap.end(), bytes.begin() + bitmapOffset);
    bytes[extensionOffset] = static_cast<std::uint8_t>(extensionLength & 0xff);
    bytes[extensionOffset + 1] = static_cast<std::uint8_t>(extensionLength >> 8);
    return bytes;
}

std::array<std::uint8_t, dvrFrameRecord::recordSize> dvrFrameRecord::pack() const {
    std::array<std::uint8_t, recordSize> bytes{};
    const auto header = packHeader();
    std::copy(header.begin(), header.end(), bytes.begin());
    // Bytes 220-223 stay 0.
    put32(&bytes[224], seconds);
    put32(&bytes[228], milliseconds);
    put32(&bytes[232], boardId);
    put32(&bytes[236], input);
    return bytes;
}

bool dvrFrameRecord::unpackHeader(const std::uint8_t* bytes, std::size_t length, dvrFrameRecord& record) {
    if (bytes == nullptr || length < headerSize) return false;
    record.compressedSize = get32(&bytes[0]);
    record.width = get32(&bytes[4]);
    record.height = get32(&bytes[8]);
    record.keyFrame = get32(&bytes[12]);
    record.code = get32(&bytes[16]);
    std::copy(bytes + bitmapOffset, bytes + bitmapOffset + motionBitmapSize, record.motionBitmap.begin());
    record.extensionLength =
        static_cast<std::uint16_t>(bytes[extensionOffset] | (bytes[extensionOffset + 1] << 8));
    return true;
}

bool dvrFrameRecord::unpack(const std::uint8_t* bytes, std::size_t length, dvrFrameRecord& record) {
    if (length < recordSize || !unpackHeader(bytes, length, record)) return false;
    record.seconds = get32(&bytes[224]);
    record.milliseconds = get32(&bytes[228]);
    record.boardId = get32(&bytes[232]);
    record.input = get32(&bytes[236]);
    return true;
}
