#include "dvrCodecCode.h"

#include <cctype>

std::string dvrCodecCode::fromSetting(int codec) {
    switch (codec) {
    case 1:
        return "MJPG";
    case 2:
        return "MPG1";
    case 3:
        return "MPG2";
    case 5:
        return "THEO";
    case -1:
        return "NULL";
    default:
        return "MPG4";
    }
}

bool dvrCodecCode::isValid(const std::string& code) {
    if (code.size() != length)
        return false;
    for (unsigned char c : code)
        if (!std::isalnum(c))
            return false;
    return true;
}
