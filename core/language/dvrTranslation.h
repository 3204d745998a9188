#pragma once

#include <string>

// Looks a user-visible text up in the message catalogue of the current language. Until a
// catalogue is loaded the original text is the translation.
class dvrTranslation {
public:
    static std::string translate(const char* text);
};
