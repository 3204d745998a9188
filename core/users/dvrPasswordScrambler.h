#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Turns passwords into the form kept in the configuration: "]" and, for every character taken as
// a signed byte, that value XOR 0x3C in lower-case hex. A negative byte stays negative after the
// XOR and so prints as eight digits ("ffffff..."); stored files carry that form, so it is kept.
// This hides passwords from a casual reader of the file; it is not encryption.
class dvrPasswordScrambler {
public:
    // The scrambled text must fit a text setting.
    static constexpr std::size_t maximumScrambledLength = 511;
    static constexpr char marker = ']';

    // The scrambled form of a typed password, whatever it starts with; nothing when the result
    // would not fit maximumScrambledLength.
    static std::optional<std::string> scramble(std::string_view password);

    static bool isScrambled(std::string_view text);

    // What a configuration line stores for a password text: a text that is already scrambled
    // stays as it is (so a saved file can be loaded again), anything else is scrambled. Nothing
    // when the result would not fit.
    static std::optional<std::string> storedForm(std::string_view text);
};
