#pragma once

#include <initializer_list>
#include <string>

// A translated text with its placeholders filled in as data, never used as a printf format. A
// translation that lacks one of the placeholders is replaced by the original, so a bad catalogue
// cannot drop a name from a log line.
class dvrTranslatedMessage {
public:
    // Each value replaces the next occurrence of placeholder ("%s", "%d") in the translation of
    // original.
    static std::string compose(const char* original, const char* placeholder,
                               std::initializer_list<std::string> values);
};
