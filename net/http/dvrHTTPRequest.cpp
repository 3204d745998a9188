#include "dvrHTTPRequest.h"

#include <vector>

#include "text/dvrText.h"

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t'; }
} // namespace

std::optional<dvrHTTPRequest> dvrHTTPRequest::parse(std::string_view requestLine) {
    std::vector<std::string_view> words;
    std::size_t position = 0;
    while (position < requestLine.size()) {
        while (position < requestLine.size() && isBlank(requestLine[position]))
            ++position;
        std::size_t start = position;
        while (position < requestLine.size() && !isBlank(requestLine[position]))
            ++position;
        if (position > start)
            words.push_back(requestLine.substr(start, position - start));
    }
    if (words.size() != 3)
        return std::nullopt;
    dvrHTTPRequest request;
    request.method_ = words[0];
    request.target_ = words[1];
    request.version_ = words[2];
    return request;
}

std::optional<std::string> dvrHTTPRequest::percentDecode(std::string_view text, bool plusIsBlank) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size())
                return std::nullopt;
            int high = dvrText::hexDigitValue(text[i + 1]), low = dvrText::hexDigitValue(text[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            c = static_cast<char>(high * 16 + low);
            i += 2;
        } else if (c == '+' && plusIsBlank) {
            c = ' ';
        }
        if (c == '\0')
            return std::nullopt;
        out += c;
    }
    return out;
}

std::optional<std::string> dvrHTTPRequest::path() const {
    std::string_view target(target_);
    return percentDecode(target.substr(0, target.find('?')), false);
}

std::optional<std::string> dvrHTTPRequest::parameter(std::string_view name) const {
    std::string_view target(target_);
    std::size_t question = target.find('?');
    if (question == std::string_view::npos)
        return std::nullopt;
    std::string_view query = target.substr(question + 1);
    while (!query.empty()) {
        std::size_t end = query.find('&');
        std::string_view pair = query.substr(0, end);
        query = end == std::string_view::npos ? std::string_view() : query.substr(end + 1);
        std::size_t equals = pair.find('=');
        std::optional<std::string> key = percentDecode(pair.substr(0, equals), true);
        if (!key || *key != name)
            continue;
        if (equals == std::string_view::npos)
            return std::nullopt;
        std::string_view raw = pair.substr(equals + 1);
        if (raw.size() > 3 * maximumParameterLength)
            return std::nullopt;
        std::optional<std::string> value = percentDecode(raw, true);
        if (!value || value->size() > maximumParameterLength)
            return std::nullopt;
        return value;
    }
    return std::nullopt;
}

int dvrHTTPRequest::getIntParameter(std::string_view name) const {
    std::optional<std::string> value = parameter(name);
    return value ? dvrText::toInt(*value) : -1;
}

std::string dvrHTTPRequest::getTextParameter(std::string_view name) const {
    return parameter(name).value_or(std::string());
}
