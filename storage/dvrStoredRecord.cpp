#include "dvrStoredRecord.h"

#include <cstdio>

namespace {

void put32(std::uint8_t* to, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        to[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t get32(const std::uint8_t* from) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(from[i]) << (8 * i);
    return value;
}

std::string describe(const char* what, long long stored, long long indexed) {
    char text[160];
    std::snprintf(text, sizeof text, "%s %lld in the record, %lld in the index", what, stored, indexed);
    return text;
}

} // namespace

std::array<std::uint8_t, dvrStoredRecord::prefixSize> dvrStoredRecord::pack(const dvrFrameRecord& frame) {
    dvrFrameRecord stored = frame;
    stored.keyFrame |= extensionFlag;
    stored.extensionLength = extensionSize;
    std::array<std::uint8_t, prefixSize> bytes{};
    const auto header = stored.packHeader();
    std::copy(header.begin(), header.end(), bytes.begin());
    std::uint8_t* extension = bytes.data() + headerSize;
    put32(extension + 0, frame.seconds);
    put32(extension + 4, (frame.milliseconds % 1000) * 1000);
    extension[8] = static_cast<std::uint8_t>(frame.boardId & 0xff);
    extension[9] = static_cast<std::uint8_t>(frame.input & 0xff);
    put32(extension + 12, 1);
    return bytes;
}

bool dvrStoredRecord::parse(const std::uint8_t* bytes, std::size_t length, Parsed& parsed, std::string& reason) {
    parsed = Parsed{};
    if (bytes == nullptr || length < headerSize || !dvrFrameRecord::unpackHeader(bytes, length, parsed.header)) {
        reason = "the record is cut short";
        return false;
    }
    std::uint32_t extensionLength = 0;
    if (parsed.header.keyFrame & extensionFlag) {
        extensionLength = parsed.header.extensionLength;
        if (extensionLength != 0 && extensionLength != extensionSize) {
            reason = "extension length " + std::to_string(extensionLength) + " is neither 0 nor 32";
            return false;
        }
    }
    if (parsed.header.compressedSize == 0 || parsed.header.compressedSize > maximumReadBytes) {
        reason = "data size " + std::to_string(parsed.header.compressedSize) + " is out of range";
        return false;
    }
    parsed.dataOffset = static_cast<std::uint32_t>(headerSize + extensionLength);
    if (extensionLength == extensionSize) {
        if (length < prefixSize) {
            reason = "the extension is cut short";
            return false;
        }
        const std::uint8_t* extension = bytes + headerSize;
        parsed.hasExtension = true;
        parsed.seconds = static_cast<std::int32_t>(get32(extension));
        parsed.microseconds = static_cast<std::int32_t>(get32(extension + 4));
        parsed.board = extension[8];
        parsed.input = extension[9];
    }
    return true;
}

bool dvrStoredRecord::matches(const Parsed& parsed, const dvrIndexRow& row, std::string& reason) {
    const dvrFrameRecord& header = parsed.header;
    if (header.compressedSize != row.bytes) {
        reason = describe("size", header.compressedSize, row.bytes);
        return false;
    }
    if (header.keyFrame != row.flags) {
        reason = describe("flags", header.keyFrame, row.flags);
        return false;
    }
    if (header.codeText() != row.codec) {
        reason = "codec " + header.codeText() + " in the record, " + row.codec + " in the index";
        return false;
    }
    if (parsed.hasExtension) {
        if (parsed.seconds != row.time) {
            reason = describe("time", parsed.seconds, row.time);
            return false;
        }
        if (parsed.microseconds / 1000 != row.milliseconds) {
            reason = describe("milliseconds", parsed.microseconds / 1000, row.milliseconds);
            return false;
        }
        if (parsed.board != static_cast<std::uint8_t>(row.device & 0xff)) {
            reason = describe("board", parsed.board, row.device);
            return false;
        }
        if (parsed.input != static_cast<std::uint8_t>(row.input & 0xff)) {
            reason = describe("input", parsed.input, row.input);
            return false;
        }
    }
    return true;
}
