#include "dvrRestartLog.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "text/dvrText.h"

dvrRestartLog::dvrRestartLog(std::string path) : path_(std::move(path)) {}

bool dvrRestartLog::write(const std::string& text) const {
    struct stat status {};
    if (::stat(path_.c_str(), &status) == 0 && status.st_size > maximumFileSize)
        std::rename(path_.c_str(), (path_ + ".old").c_str());

    char stamp[64] = "";
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local))
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::string line = std::string(stamp) + " [" + std::to_string(::getpid()) + "] " +
                       dvrText::singleLine(dvrText::cut(text, 2048)) + "\n";

    int descriptor = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (descriptor < 0)
        return false;
    // One write of an appended line: lines of two programs never interleave.
    ssize_t written;
    do {
        written = ::write(descriptor, line.data(), line.size());
    } while (written < 0 && errno == EINTR);
    ::close(descriptor);
    return written == static_cast<ssize_t>(line.size());
}
