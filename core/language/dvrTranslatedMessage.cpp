#include "language/dvrTranslatedMessage.h"

#include <string_view>

#include "language/dvrTranslation.h"

namespace {

bool fill(std::string text, std::string_view placeholder, std::initializer_list<std::string> values,
          std::string& out) {
    std::size_t from = 0;
    for (const std::string& value : values) {
        std::size_t slot = text.find(placeholder, from);
        if (slot == std::string::npos)
            return false;
        text.replace(slot, placeholder.size(), value);
        from = slot + value.size();
    }
    out = std::move(text);
    return true;
}

} // namespace

std::string dvrTranslatedMessage::compose(const char* original, const char* placeholder,
                                          std::initializer_list<std::string> values) {
    std::string result;
    if (!fill(dvrTranslation::translate(original), placeholder, values, result))
        fill(original, placeholder, values, result);
    return result;
}
