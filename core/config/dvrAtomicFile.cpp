#include "config/dvrAtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string directoryOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeWhole(int descriptor, std::string_view contents) {
    std::size_t done = 0;
    while (done < contents.size()) {
        ssize_t written = ::write(descriptor, contents.data() + done, contents.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// The rename is only durable once the directory entry is on the disk too.
void syncDirectory(const std::string& directory) {
    int descriptor = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    ::fsync(descriptor);
    ::close(descriptor);
}

} // namespace

bool dvrAtomicFile::replace(const std::string& path, std::string_view contents) {
    if (path.empty() || path.back() == '/')
        return false;
    std::string directory = directoryOf(path);
    std::string pattern = directory + "/" + temporaryPrefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int descriptor = ::mkostemp(name.data(), O_CLOEXEC);
    if (descriptor < 0)
        return false;

    struct stat old {};
    mode_t mode = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode) ? (old.st_mode & 07777) : 0600;
    bool written =
        ::fchmod(descriptor, mode) == 0 && writeWhole(descriptor, contents) && ::fsync(descriptor) == 0;
    if (::close(descriptor) != 0)
        written = false;
    if (!written || ::rename(name.data(), path.c_str()) != 0) {
        ::unlink(name.data());
        return false;
    }
    syncDirectory(directory);
    return true;
}
