#pragma once

#include <string>
#include <string_view>

// Keeps a (translated) header or section title of the configuration script a comment: a
// translation can never turn it into a command line.
class dvrCommentFilter {
public:
    // Every line of text that does not start with "#" (or is empty) gets its first character
    // replaced by "#"; the text is made to end with a line end.
    static std::string apply(std::string_view text);
};
