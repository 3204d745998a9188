#pragma once

#include <string>

// The four-letter code that names a codec and travels with every compressed frame.
class dvrCodecCode {
public:
    static constexpr std::size_t length = 4;

    // The code for a "codec" setting value: 1 "MJPG", 2 "MPG1", 3 "MPG2", 5 "THEO", -1 "NULL"
    // (no compression); any other value gives "MPG4".
    static std::string fromSetting(int codec);
    // Four letters or digits; anything else never names a codec.
    static bool isValid(const std::string& code);
};
