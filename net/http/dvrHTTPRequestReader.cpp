#include "dvrHTTPRequestReader.h"

#include "text/dvrText.h"

dvrHTTPRequestReader::State dvrHTTPRequestReader::feed(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (state_ != State::reading) {
            if (state_ == State::complete && remainder_.size() < maximumLineLength)
                remainder_.append(bytes.substr(i, maximumLineLength - remainder_.size()));
            break;
        }
        char c = bytes[i];
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

bool dvrHTTPRequestReader::wantsKeepAlive() const {
    if (state_ != State::complete)
        return false;
    std::string_view line(requestLine_);
    bool version11 = line.size() >= 8 && line.substr(line.size() - 8) == "HTTP/1.1";
    for (const std::string& header : headerLines_) {
        std::size_t colon = header.find(':');
        if (colon == std::string::npos || !dvrText::equalsIgnoringCase(header.substr(0, colon), "connection"))
            continue;
        std::string value = dvrText::lowerCase(header.substr(colon + 1));
        if (value.find("close") != std::string::npos)
            return false;
        if (value.find("keep-alive") != std::string::npos)
            return true;
    }
    return version11;
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
