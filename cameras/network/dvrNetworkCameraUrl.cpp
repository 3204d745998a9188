#include "network/dvrNetworkCameraUrl.h"

#include <cctype>

#include "network/dvrNetworkCameraModels.h"
#include "text/dvrText.h"

namespace {

bool isUnreserved(unsigned char c) { return std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~'; }

// "%41" becomes "A"; a "%" without two hex digits stays as it is.
std::string unescape(std::string_view text) {
    std::string plain;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '%' && at + 2 < text.size()) {
            int high = dvrText::hexDigitValue(text[at + 1]);
            int low = dvrText::hexDigitValue(text[at + 2]);
            if (high >= 0 && low >= 0) {
                plain += static_cast<char>(high * 16 + low);
                at += 2;
                continue;
            }
        }
        plain += text[at];
    }
    return plain;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t at = 0; at < prefix.size(); ++at)
        if (std::tolower(static_cast<unsigned char>(text[at])) != prefix[at])
            return false;
    return true;
}

std::string axisPath(int model, int channel, int resolution) {
    switch (model) {
    case 100205:
        return std::string("/jpg/image.jpg?resolution=") + (resolution == 0 ? "320x240" : "640x480");
    case 102100:
        return std::string("/jpg") + (resolution == 0 ? "/fullsize.jpg" : "/hugesize.jpg");
    case 100200:
        return resolution == 0 ? "/fullsize.jpg" : "/hugesize.jpg";
    case 102400:
        return "/axis-cgi/jpg/image.cgi?camera=" + std::to_string(channel) + "&resolution=" +
               (resolution == 0 ? "CIF" : "4CIF");
    default:
        return "";
    }
}

const char* panasonicQuality(int quality) {
    if (quality > 65)
        return "Clarity";
    if (quality >= 33)
        return "Standard";
    return "Motion";
}

} // namespace

std::string dvrNetworkCameraUrl::escape(std::string_view text) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string escaped;
    for (unsigned char c : text) {
        if (isUnreserved(c)) {
            escaped += static_cast<char>(c);
        } else {
            escaped += '%';
            escaped += digits[c >> 4];
            escaped += digits[c & 15];
        }
    }
    return escaped;
}

bool dvrNetworkCameraUrl::validHost(std::string_view host) {
    if (host.empty() || host.size() > maximumHostLength)
        return false;
    if (host.front() == '[') {
        // An IPv6 address in brackets.
        if (host.size() < 3 || host.back() != ']')
            return false;
        for (char c : host.substr(1, host.size() - 2))
            if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.')
                return false;
        return true;
    }
    for (char c : host)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_')
            return false;
    return true;
}

bool dvrNetworkCameraUrl::validPort(std::string_view port) {
    if (port.empty() || port.size() > 5)
        return false;
    int value = 0;
    for (char c : port) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return value >= 1 && value <= 65535;
}

bool dvrNetworkCameraUrl::buildGeneric(const Settings& settings, Target& target) {
    const std::string& url = settings.host;
    if (url.size() > maximumUrlLength)
        return false;
    for (unsigned char c : url)
        if (c <= 0x20 || c >= 0x7F)
            return false;
    std::size_t schemeEnd = url.find("://");
    if (schemeEnd == std::string::npos ||
        !(startsWithIgnoringCase(url, "http://") || startsWithIgnoringCase(url, "https://")))
        return false;
    std::size_t authorityStart = schemeEnd + 3;
    std::size_t authorityEnd = url.find_first_of("/?#", authorityStart);
    if (authorityEnd == std::string::npos)
        authorityEnd = url.size();
    std::string_view authority(url.data() + authorityStart, authorityEnd - authorityStart);
    std::string_view hostAndPort = authority;
    std::string username = settings.username;
    std::string password = settings.password;
    std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        // Credentials written into the URL move into the authentication header.
        std::string_view userInfo = authority.substr(0, at);
        hostAndPort = authority.substr(at + 1);
        std::size_t colon = userInfo.find(':');
        username = unescape(userInfo.substr(0, colon));
        password = colon == std::string_view::npos ? std::string() : unescape(userInfo.substr(colon + 1));
    }
    if (hostAndPort.empty())
        return false;
    std::string scheme = url.substr(0, authorityStart);
    std::string rest = url.substr(authorityEnd);
    target.url = scheme + std::string(hostAndPort) + rest;
    target.shownUrl = scheme + (username.empty() ? "" : escape(username) + "@") + std::string(hostAndPort) + rest;
    target.username = username;
    target.password = username.empty() ? std::string() : password;
    return true;
}

dvrNetworkCameraUrl::Target dvrNetworkCameraUrl::build(const Settings& settings) {
    Target target;
    int family = dvrNetworkCameraModels::familyOf(settings.model);
    if (family < 0)
        return target;
    if (family == dvrNetworkCameraModels::genericUrl) {
        target.usable = buildGeneric(settings, target);
        if (!target.usable)
            target = Target();
        return target;
    }
    if (!validHost(settings.host) || (!settings.port.empty() && !validPort(settings.port)))
        return target;

    // Families whose cameras are asked with credentials send them; the others never do.
    bool withCredentials = family != dvrNetworkCameraModels::axis && family != dvrNetworkCameraModels::panasonic;
    std::string port = settings.port;
    if (port.empty() && family == dvrNetworkCameraModels::mirdal)
        port = "8080";
    std::string hostAndPort = settings.host + (port.empty() ? "" : ":" + std::to_string(std::stoi(port)));

    const int model = settings.model;
    const int channel = settings.channel;
    const int quality = settings.quality;
    const int resolution = settings.resolution;
    std::string path;
    switch (family) {
    case dvrNetworkCameraModels::axis:
        path = axisPath(model, channel, resolution);
        if (quality >= 1 && quality <= 100)
            path += std::string(path.find('?') == std::string::npos ? "?" : "&") + "compression=" +
                    std::to_string(100 - quality);
        break;
    case dvrNetworkCameraModels::panasonic:
        if (model == 200010)
            path = std::string("/SnapshotJPEG?Resolution=") + (resolution == 1 ? "640x480" : "320x240") +
                   "&Quality=" + panasonicQuality(quality);
        else if (model == 200100)
            path = "/cgi-bin/camera?Session=0";
        break;
    case dvrNetworkCameraModels::vivotek:
        if (model == 300000)
            path = "/cgi-bin/video.jpg";
        else if (model == 302402)
            path = "/cgi-bin/video" + std::to_string(channel) + ".jpg";
        path += "?quality=" + std::to_string(quality / 20 + 1) + "&size=" + std::to_string(resolution + 2);
        break;
    case dvrNetworkCameraModels::mobotix:
        path = "/record/current.jpg";
        break;
    case dvrNetworkCameraModels::pixord:
        path = "/images" + std::to_string(channel) + (resolution != 0 ? "full" : "sif");
        break;
    case dvrNetworkCameraModels::sony:
        path = "/oneshotimage.jpg";
        break;
    case dvrNetworkCameraModels::mirdal:
        path = "/camera/" + std::to_string(channel) + ".jpg" +
               (resolution != 0 ? "?width=704&height=576" : "?width=352&height=288") +
               "&quality=" + std::to_string(quality);
        break;
    default:
        return target;
    }

    target.usable = true;
    target.url = "http://" + hostAndPort + path;
    if (withCredentials && !settings.username.empty()) {
        target.username = settings.username;
        target.password = settings.password;
        target.shownUrl = "http://" + escape(settings.username) + "@" + hostAndPort + path;
    } else {
        target.shownUrl = target.url;
    }
    return target;
}
