#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// HTTP/1.0 answer heads and short text answers. Every answer names the server, its content type
// and length, and closes the connection.
class dvrHTTPResponse {
public:
    static constexpr const char* serverName = "Mirdal DVR";

    // "OK", "Bad Request", "Forbidden", "Not Found", "Method Not Allowed", "Internal Server Error",
    // "Service Unavailable".
    static const char* reason(int status);
    // Status line and headers up to and including the empty line. Pictures are never cached, so
    // a page that reloads them always shows the current frame.
    // keepAlive: the connection stays open for the client's next request.
    static std::string head(int status, std::string_view contentType, std::size_t contentLength,
                            bool noStore = false, bool keepAlive = false);
    // A whole plain-text answer; the body is the system's own message text.
    static std::string text(int status, std::string_view body);
};
