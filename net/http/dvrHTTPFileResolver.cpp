#include "dvrHTTPFileResolver.h"

#include <cctype>
#include <system_error>

#include "text/dvrText.h"

dvrHTTPFileResolver::dvrHTTPFileResolver(std::filesystem::path root) : root_(std::move(root)) {}

std::optional<std::filesystem::path> dvrHTTPFileResolver::resolve(std::string_view path) const {
    if (path.empty() || path[0] != '/')
        return std::nullopt;
    std::string relative = path == "/" ? std::string("index.html") : std::string(path.substr(1));
    if (!std::isalnum(static_cast<unsigned char>(relative[0])))
        return std::nullopt;
    std::string_view rest(relative);
    while (true) {
        std::size_t slash = rest.find('/');
        std::string_view segment = rest.substr(0, slash);
        if (segment.empty() || segment[0] == '.' || segment.find('\\') != std::string_view::npos)
            return std::nullopt;
        if (slash == std::string_view::npos)
            break;
        rest = rest.substr(slash + 1);
    }
    std::error_code error;
    std::filesystem::path base = std::filesystem::canonical(root_, error);
    if (error)
        return std::nullopt;
    std::filesystem::path file = std::filesystem::canonical(base / relative, error);
    if (error || !std::filesystem::is_regular_file(file, error))
        return std::nullopt;
    // The real location must still lie below the directory, whatever links were followed.
    std::string prefix = base.string();
    if (prefix.back() != '/')
        prefix += '/';
    if (file.string().compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    return file;
}

std::string dvrHTTPFileResolver::contentType(const std::filesystem::path& file) {
    std::string extension = dvrText::lowerCase(file.extension().string());
    if (extension == ".html" || extension == ".htm")
        return "text/html; charset=utf-8";
    if (extension == ".css")
        return "text/css; charset=utf-8";
    if (extension == ".js")
        return "text/javascript; charset=utf-8";
    if (extension == ".txt")
        return "text/plain; charset=utf-8";
    if (extension == ".json")
        return "application/json";
    if (extension == ".png")
        return "image/png";
    if (extension == ".jpg" || extension == ".jpeg")
        return "image/jpeg";
    if (extension == ".gif")
        return "image/gif";
    if (extension == ".svg")
        return "image/svg+xml";
    if (extension == ".ico")
        return "image/x-icon";
    return "application/octet-stream";
}
