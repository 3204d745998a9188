#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Maps a request path to a file inside the server's page directory. Refused: paths that do not
// start with "/" followed by a letter or digit, empty segments, segments starting with "." (so
// ".." and hidden files), backslashes, and anything whose real location (symbolic links
// resolved) is not a regular file inside the directory.
class dvrHTTPFileResolver {
public:
    explicit dvrHTTPFileResolver(std::filesystem::path root);

    // The file for a decoded path; "/" is the directory's "index.html".
    std::optional<std::filesystem::path> resolve(std::string_view path) const;
    // Content type by file name extension; unknown ones are sent as bytes.
    static std::string contentType(const std::filesystem::path& file);

    const std::filesystem::path& root() const { return root_; }

private:
    std::filesystem::path root_;
};
