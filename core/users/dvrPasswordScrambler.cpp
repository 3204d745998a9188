#include "users/dvrPasswordScrambler.h"

namespace {

constexpr int mask = 0x3C;

void appendHex(std::string& out, unsigned int value, int digits) {
    static const char hexDigits[] = "0123456789abcdef";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out.push_back(hexDigits[(value >> shift) & 0xF]);
}

} // namespace

std::optional<std::string> dvrPasswordScrambler::scramble(std::string_view password) {
    std::string out(1, marker);
    for (char character : password) {
        // The character is promoted as a signed byte, as the stored files were written.
        int value = static_cast<int>(static_cast<signed char>(character)) ^ mask;
        unsigned int bits = static_cast<unsigned int>(value);
        appendHex(out, bits, bits > 0xFF ? 8 : 2);
        if (out.size() > maximumScrambledLength)
            return std::nullopt;
    }
    return out;
}

bool dvrPasswordScrambler::isScrambled(std::string_view text) {
    return !text.empty() && text.front() == marker;
}

std::optional<std::string> dvrPasswordScrambler::storedForm(std::string_view text) {
    if (!isScrambled(text))
        return scramble(text);
    if (text.size() > maximumScrambledLength)
        return std::nullopt;
    return std::string(text);
}
