#pragma once

#include <string>
#include <string_view>

// Builds the picture URL of a network camera from its settings. Credentials never become part
// of the URL that is fetched: they travel as HTTP Basic authentication. The URL shown to the
// user (the "path" setting) carries at most the escaped user name, never the password.
class dvrNetworkCameraUrl {
public:
    static constexpr std::size_t maximumHostLength = 253;
    static constexpr std::size_t maximumUrlLength = 2048;

    struct Settings {
        int model = 0;         // "ctype"
        std::string host;      // a host name or address; the whole URL for "Generic URL"
        std::string port;      // empty: the family's default
        std::string username;
        std::string password;
        int channel = 1;
        int quality = 80;
        int resolution = 0;    // 0 "Low", 1 "High"
    };

    struct Target {
        // False for a model outside every family, an unusable host, port or generic URL.
        bool usable = false;
        std::string url;
        std::string shownUrl;
        std::string username;
        std::string password;
    };

    static Target build(const Settings& settings);

    // Percent-escapes everything but letters, digits and "-._~".
    static std::string escape(std::string_view text);

private:
    static bool buildGeneric(const Settings& settings, Target& target);
    static bool validHost(std::string_view host);
    static bool validPort(std::string_view port);
};
