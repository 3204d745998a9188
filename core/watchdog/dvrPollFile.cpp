#include "watchdog/dvrPollFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

dvrPollFile::dvrPollFile(std::string path) : path_(std::move(path)) {}

bool dvrPollFile::empty() const {
    return write("", true);
}

bool dvrPollFile::writeDie() const {
    return write(dieText, true);
}

bool dvrPollFile::appendMarker() const {
    return write(markerText, false);
}

bool dvrPollFile::write(const char* text, bool truncate) const {
    // No symbolic links: a planted link must not make the recorder truncate another file.
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | (truncate ? O_TRUNC : O_APPEND);
    int descriptor = ::open(path_.c_str(), flags, 0644);
    if (descriptor < 0)
        return false;
    std::size_t length = std::strlen(text);
    std::size_t done = 0;
    bool written = true;
    while (done < length) {
        ssize_t n = ::write(descriptor, text + done, length - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            written = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return ::close(descriptor) == 0 && written;
}

dvrPollFile::State dvrPollFile::state() const {
    int descriptor = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (descriptor < 0)
        return errno == ENOENT ? State::missing : State::notEmptied;
    char buffer[maximumReadLength];
    std::size_t filled = 0;
    bool failed = false;
    while (filled < sizeof buffer) {
        ssize_t n = ::read(descriptor, buffer + filled, sizeof buffer - filled);
        if (n < 0 && errno == EINTR)
            continue;
        failed = n < 0;
        if (n <= 0)
            break;
        filled += static_cast<std::size_t>(n);
    }
    ::close(descriptor);
    // Something that cannot be read (a directory in its place) is not an emptied file.
    if (failed)
        return State::notEmptied;
    std::size_t dieLength = std::strlen(dieText);
    if (filled == 0)
        return State::empty;
    if (filled >= dieLength && std::memcmp(buffer, dieText, dieLength) == 0)
        return State::die;
    return State::notEmptied;
}
