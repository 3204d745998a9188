#pragma once

#include <optional>
#include <string>
#include <string_view>

// One request line: method, target and version, and the target's path and parameters.
class dvrHTTPRequest {
public:
    // Longest parameter value taken; a longer one counts as absent.
    static constexpr std::size_t maximumParameterLength = 1024;

    // Exactly three words separated by blanks; anything else is no request.
    static std::optional<dvrHTTPRequest> parse(std::string_view requestLine);

    const std::string& method() const { return method_; }
    const std::string& target() const { return target_; }
    const std::string& version() const { return version_; }
    // The target up to "?", percent escapes decoded; nullopt when an escape is broken or
    // decodes to a NUL byte.
    std::optional<std::string> path() const;

    // The value of the parameter named exactly name (after "?", "&"-separated, "+" and
    // percent escapes decoded): -1 when absent, else its decimal value (sign and digits up to
    // the first other character, 0 without digits, clamped to the int range).
    int getIntParameter(std::string_view name) const;
    // Empty when absent or longer than maximumParameterLength.
    std::string getTextParameter(std::string_view name) const;

    static std::optional<std::string> percentDecode(std::string_view text, bool plusIsBlank);

private:
    std::optional<std::string> parameter(std::string_view name) const;

    std::string method_;
    std::string target_;
    std::string version_;
};
