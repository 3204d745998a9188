#include "config/dvrCommentFilter.h"

namespace {
bool isLineEnd(char c) {
    return c == '\n' || c == '\r' || c == '\f';
}
} // namespace

std::string dvrCommentFilter::apply(std::string_view text) {
    std::string filtered(text);
    bool lineStart = true;
    for (char& c : filtered) {
        if (lineStart && !isLineEnd(c) && c != '#')
            c = '#';
        lineStart = c == '\n';
    }
    if (filtered.empty() || !isLineEnd(filtered.back()))
        filtered.push_back('\n');
    return filtered;
}
