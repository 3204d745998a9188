#include "dvrXecapCharacterTable.h"

#include <array>

namespace {

constexpr char32_t latinCharacters[] = {
    U'Ä', U'Å', U'Æ', U'Ç', U'É', U'Ñ', U'Ö', U'Ø', U'Ü', U'ß', U'à', U'á', U'â',
    U'ä', U'å', U'æ', U'ç', U'è', U'é', U'ê', U'ë', U'ì', U'í', U'î', U'ï', U'ñ',
    U'ò', U'ó', U'ô', U'ö', U'ø', U'ù', U'ú', U'û', U'ü', U'ý', U'ÿ', U'°', U'µ',
};
constexpr int asciiCount = 0x7F - 0x20;
static_assert(asciiCount + static_cast<int>(std::size(latinCharacters)) == dvrXecapCharacterTable::size);

char32_t characterAt(int position) {
    return position < asciiCount ? static_cast<char32_t>(0x20 + position)
                                 : latinCharacters[position - asciiCount];
}

// Font codes follow table order and step over 127, the card's mark for an unknown character.
std::uint8_t codeAt(int position) {
    return static_cast<std::uint8_t>(position < dvrXecapCharacterTable::unknown ? position : position + 1);
}

std::string utf8(char32_t character) {
    std::string text;
    if (character < 0x80) {
        text += static_cast<char>(character);
    } else {
        text += static_cast<char>(0xC0 | (character >> 6));
        text += static_cast<char>(0x80 | (character & 0x3F));
    }
    return text;
}

} // namespace

std::uint8_t dvrXecapCharacterTable::code(char32_t character) {
    for (int position = 0; position < size; ++position)
        if (characterAt(position) == character)
            return codeAt(position);
    return unknown;
}

std::string dvrXecapCharacterTable::character(std::uint8_t code) {
    for (int position = 0; position < size; ++position)
        if (codeAt(position) == code)
            return utf8(characterAt(position));
    return "?";
}

std::vector<std::uint8_t> dvrXecapCharacterTable::encode(std::string_view text) {
    std::vector<std::uint8_t> codes;
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80             ? 1
                             : (lead & 0xE0) == 0xC0 ? 2
                             : (lead & 0xF0) == 0xE0 ? 3
                             : (lead & 0xF8) == 0xF0 ? 4
                                                     : 0;
        bool whole = length > 0 && i + length <= text.size();
        char32_t character = length == 1   ? lead
                             : length == 2 ? lead & 0x1F
                             : length == 3 ? lead & 0x0F
                                           : lead & 0x07;
        for (std::size_t k = 1; whole && k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                whole = false;
            else
                character = (character << 6) | (next & 0x3F);
        }
        if (!whole) {
            codes.push_back(unknown);
            ++i;
            continue;
        }
        codes.push_back(code(character));
        i += length;
    }
    return codes;
}
