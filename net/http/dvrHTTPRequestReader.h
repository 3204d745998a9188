#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Collects one request (request line and header lines up to the empty line) from bytes as they
// arrive. Lines end with LF, a CR before it is dropped; empty lines before the request line are
// skipped. Lines and their number are bounded, so a client cannot make the server hold more
// than a few kilobytes for it.
class dvrHTTPRequestReader {
public:
    static constexpr std::size_t maximumLineLength = 2048;
    static constexpr std::size_t maximumHeaderLines = 64;

    enum class State { reading, complete, tooLarge, malformed };

    // Takes bytes until the request is complete or refused; later bytes are ignored.
    State feed(std::string_view bytes);
    State state() const { return state_; }
    const std::string& requestLine() const { return requestLine_; }
    const std::vector<std::string>& headerLines() const { return headerLines_; }
    // Bytes that arrived after the complete request: the start of the next one.
    const std::string& remainder() const { return remainder_; }
    // Whether the client asked to keep the connection for further requests: HTTP/1.1 unless it
    // says "Connection: close", HTTP/1.0 only with "Connection: keep-alive".
    bool wantsKeepAlive() const;

private:
    State takeLine();

    State state_ = State::reading;
    std::string line_;
    std::string requestLine_;
    bool haveRequestLine_ = false;
    std::vector<std::string> headerLines_;
    std::string remainder_;
};
