#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The card's on-screen font: 134 characters (the printable ASCII set and 39 Latin-1 letters and
// signs), each with its font code. Characters outside the table are shown as code 127.
class dvrXecapCharacterTable {
public:
    static constexpr int size = 134;
    static constexpr std::uint8_t unknown = 127;

    static std::uint8_t code(char32_t character);
    // The UTF-8 character of a code; "?" for a code outside the table.
    static std::string character(std::uint8_t code);
    // Font codes of a UTF-8 text, one per character; a malformed sequence gives one unknown.
    static std::vector<std::uint8_t> encode(std::string_view text);
};
