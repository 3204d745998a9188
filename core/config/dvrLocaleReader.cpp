#include "config/dvrLocaleReader.h"

#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {

// The third space-separated word of line (which ends at its line end).
std::string thirdWord(const char* line) {
    std::size_t length = std::strcspn(line, "\r\n");
    std::string_view rest(line, length);
    for (int skipped = 0; skipped < 2; ++skipped) {
        std::size_t space = rest.find(' ');
        if (space == std::string_view::npos)
            return std::string();
        rest.remove_prefix(space + 1);
    }
    return std::string(rest.substr(0, rest.find(' ')));
}

} // namespace

std::string dvrLocaleReader::languageName(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!file)
        return std::string();
    struct stat status {};
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) {
        std::fclose(file);
        return std::string();
    }
    std::string name;
    if (std::fseek(file, static_cast<long>(status.st_size / 2), SEEK_SET) == 0) {
        char line[maximumLineLength + 1];
        while (std::fgets(line, sizeof line, file)) {
            if (std::strncmp(line, "set locale", 10) == 0)
                name = thirdWord(line);
        }
    }
    std::fclose(file);
    return name;
}
