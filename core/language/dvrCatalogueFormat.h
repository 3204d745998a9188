#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Translated printf formats. A catalogue is data: a translation whose conversions do not take
// the same arguments as the original's would make printf read arguments that were never passed.
// So a translated format is only used when its conversions match the original's, one for one;
// otherwise the original is used (and the bad translation is reported once).
class dvrCatalogueFormat {
public:
    // The translation of format to use as a printf format, or format itself. The result lives
    // until the program ends. The attribute lets the compiler check the arguments against the
    // original literal.
    static const char* lookUp(const char* format) __attribute__((format_arg(1)));

    // printf into a string of any length; format is a literal or comes from lookUp.
    static std::string compose(const char* format, ...) __attribute__((format(printf, 1, 2)));

    // The argument kinds the conversions of format take, in order ("int", "long", "double",
    // "string", "pointer", ...); nothing for a format that is refused: one with "%n", positional
    // arguments, wide strings or an unknown or incomplete conversion.
    static std::optional<std::vector<std::string>> argumentKinds(std::string_view format);

    // True when translation takes exactly the arguments original takes.
    static bool sameConversions(std::string_view original, std::string_view translation);
};
