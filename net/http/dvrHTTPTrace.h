#pragma once

#include <string_view>

// The server's trace lines, written to standard output only while verbose logging is on.
class dvrHTTPTrace {
public:
    // One line; control characters from the network are shown as '?'.
    static void line(std::string_view text);
    static void line(std::string_view prefix, std::string_view data);
};
