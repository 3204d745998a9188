#include "language/dvrCatalogueFormat.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <unordered_set>

#include "language/dvrTranslation.h"
#include "log/dvrLog.h"
#include "text/dvrText.h"

namespace {

// Translations handed out as formats; kept for the rest of the run so the pointers stay valid.
// Nodes of an unordered_set never move, and there is one entry per distinct translation.
std::mutex internedLock;
std::unordered_set<std::string> interned;
std::unordered_set<std::string> reported;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string integerKind(std::string_view length) {
    if (length.empty() || length == "h" || length == "hh")
        return "int"; // promoted to int when passed
    if (length == "l")
        return "long";
    if (length == "ll" || length == "q")
        return "long long";
    if (length == "j")
        return "intmax";
    if (length == "z" || length == "Z")
        return "size";
    if (length == "t")
        return "ptrdiff";
    return std::string();
}

} // namespace

std::optional<std::vector<std::string>> dvrCatalogueFormat::argumentKinds(std::string_view format) {
    std::vector<std::string> kinds;
    std::size_t i = 0;
    const std::size_t end = format.size();
    while (i < end) {
        if (format[i++] != '%')
            continue;
        if (i < end && format[i] == '%') {
            ++i;
            continue;
        }
        // Positional arguments ("%1$s") are refused: mixing them with the original order is
        // exactly what a bad translation does.
        std::size_t digits = i;
        while (digits < end && isDigit(format[digits]))
            ++digits;
        if (digits < end && digits > i && format[digits] == '$')
            return std::nullopt;
        while (i < end && std::string_view("-+ #0'").find(format[i]) != std::string_view::npos)
            ++i;
        // Width and precision: digits, or "*" taking an int argument.
        auto skipCount = [&] {
            if (i < end && format[i] == '*') {
                kinds.push_back("int");
                ++i;
                return;
            }
            while (i < end && isDigit(format[i]))
                ++i;
        };
        skipCount();
        if (i < end && format[i] == '.') {
            ++i;
            skipCount();
        }
        std::size_t lengthStart = i;
        while (i < end && std::string_view("hlqLjzZt").find(format[i]) != std::string_view::npos &&
               i - lengthStart < 2)
            ++i;
        std::string_view length = format.substr(lengthStart, i - lengthStart);
        if (i >= end)
            return std::nullopt;
        char conversion = format[i++];
        switch (conversion) {
        case 'd':
        case 'i':
        case 'o':
        case 'u':
        case 'x':
        case 'X':
        case 'c': {
            if (conversion == 'c' && !length.empty())
                return std::nullopt;
            std::string kind = integerKind(length);
            if (kind.empty())
                return std::nullopt;
            kinds.push_back(kind);
            break;
        }
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            if (length.empty() || length == "l")
                kinds.push_back("double");
            else if (length == "L")
                kinds.push_back("long double");
            else
                return std::nullopt;
            break;
        case 's':
            if (!length.empty())
                return std::nullopt;
            kinds.push_back("string");
            break;
        case 'p':
            if (!length.empty())
                return std::nullopt;
            kinds.push_back("pointer");
            break;
        default:
            return std::nullopt; // "%n", "%m" and anything unknown
        }
    }
    return kinds;
}

bool dvrCatalogueFormat::sameConversions(std::string_view original, std::string_view translation) {
    auto expected = argumentKinds(original);
    auto offered = argumentKinds(translation);
    return expected && offered && *expected == *offered;
}

const char* dvrCatalogueFormat::lookUp(const char* format) {
    if (!format)
        return "";
    std::string translation = dvrTranslation::translate(format);
    if (translation == format)
        return format;
    if (!sameConversions(format, translation)) {
        bool first = false;
        {
            std::lock_guard<std::mutex> guard(internedLock);
            first = reported.insert(format).second;
        }
        if (first)
            logWarning(
                "[LANG] The translation of `%s' does not take the same values; the original text is used.\n",
                dvrText::singleLine(format).c_str());
        return format;
    }
    std::lock_guard<std::mutex> guard(internedLock);
    return interned.insert(std::move(translation)).first->c_str();
}

std::string dvrCatalogueFormat::compose(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    int length = std::vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    std::string text;
    if (length > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, again);
        text.assign(buffer.data(), static_cast<std::size_t>(length));
    }
    va_end(again);
    return text;
}
