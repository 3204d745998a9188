#include "dvrHTTPRequestReader.h"

dvrHTTPRequestReader::State dvrHTTPRequestReader::feed(std::string_view bytes) {
    for (char c : bytes) {
        if (state_ != State::reading)
            break;
        if (c != '\n') {
            if (line_.size() >= maximumLineLength + 1) // room for the CR before LF
                return state_ = State::tooLarge;
            line_ += c;
            continue;
        }
        state_ = takeLine();
    }
    return state_;
}

dvrHTTPRequestReader::State dvrHTTPRequestReader::takeLine() {
    if (!line_.empty() && line_.back() == '\r')
        line_.pop_back();
    if (line_.size() > maximumLineLength)
        return State::tooLarge;
    if (line_.find_first_of(std::string_view("\r\0", 2)) != std::string::npos)
        return State::malformed;
    std::string line = std::move(line_);
    line_.clear();
    if (!haveRequestLine_) {
        if (line.empty()) {
            // Stray line ends between requests; they still count against the limit.
            if (headerLines_.size() >= maximumHeaderLines)
                return State::tooLarge;
            headerLines_.emplace_back();
            return State::reading;
        }
        headerLines_.clear();
        requestLine_ = std::move(line);
        haveRequestLine_ = true;
        return State::reading;
    }
    if (line.empty())
        return State::complete;
    if (headerLines_.size() >= maximumHeaderLines)
        return State::tooLarge;
    headerLines_.push_back(std::move(line));
    return State::reading;
}
