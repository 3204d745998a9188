#include "dvrFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include "log/dvrLog.h"

namespace {

struct SharedFile {
    int descriptor = -1;
    std::int64_t readPosition = 0;
    std::int64_t writePosition = 0;
    int users = 0; // objects that have it open
};

std::mutex tableLock;
std::map<std::string, SharedFile>& table() {
    static std::map<std::string, SharedFile> files;
    return files;
}

} // namespace

dvrFile::dvrFile(std::string path) : dvrFile(std::move(path), true) {}

dvrFile::dvrFile(std::string path, bool create) : path_(std::move(path)), create_(create) {
    {
        std::lock_guard<std::mutex> guard(tableLock);
        table().try_emplace(path_);
    }
    open();
}

dvrFile dvrFile::forReading(std::string path) { return dvrFile(std::move(path), false); }

dvrFile::dvrFile(dvrFile&& other) noexcept
    : path_(std::move(other.path_)), create_(other.create_), openCount_(other.openCount_), lastError_(other.lastError_) {
    other.openCount_ = 0;
}

dvrFile::~dvrFile() {
    while (openCount_ > 0)
        close();
}

bool dvrFile::isOpen() const { return descriptor() >= 0; }

int dvrFile::descriptor() const {
    std::lock_guard<std::mutex> guard(tableLock);
    auto found = table().find(path_);
    return found == table().end() ? -1 : found->second.descriptor;
}

bool dvrFile::open() {
    std::lock_guard<std::mutex> guard(tableLock);
    SharedFile& shared = table()[path_];
    if (openCount_ > 0 && shared.descriptor >= 0)
        return true;
    if (shared.descriptor < 0) {
        int flags = O_RDWR | O_CLOEXEC | (create_ ? O_CREAT : 0);
        int descriptor = ::open(path_.c_str(), flags, 0644);
        if (descriptor < 0 && !create_ && (errno == EACCES || errno == EROFS))
            descriptor = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        if (descriptor < 0) {
            lastError_ = errno;
            logError("[FILESYSTEM] Could not open file %s: %s!", path_.c_str(), std::strerror(lastError_));
            return false;
        }
        shared.descriptor = descriptor;
    }
    shared.readPosition = 0;
    shared.writePosition = 0;
    ++shared.users;
    ++openCount_;
    return true;
}

bool dvrFile::seek(std::int64_t offset) {
    std::lock_guard<std::mutex> guard(tableLock);
    SharedFile& shared = table()[path_];
    shared.readPosition = offset;
    shared.writePosition = offset;
    return true;
}

std::int64_t dvrFile::tell() const {
    std::lock_guard<std::mutex> guard(tableLock);
    auto found = table().find(path_);
    return found == table().end() ? 0 : found->second.readPosition;
}

void dvrFile::advance(std::int64_t count) {
    std::lock_guard<std::mutex> guard(tableLock);
    SharedFile& shared = table()[path_];
    shared.readPosition += count;
    shared.writePosition += count;
}

dvrFile::Place dvrFile::placeFor(std::int64_t offset, bool writing) {
    std::lock_guard<std::mutex> guard(tableLock);
    SharedFile& shared = table()[path_];
    return {shared.descriptor, offset != -1 ? offset : writing ? shared.writePosition : shared.readPosition};
}

std::int64_t dvrFile::read(void* buffer, std::size_t length, std::int64_t offset) {
    if (!isOpen() && !open())
        return 0;
    const auto [file, at] = placeFor(offset, false);
    std::size_t done = 0;
    // Bounded: a file that keeps returning little must not hold the reader for ever.
    for (int calls = 0; done < length && calls < 1000; ++calls) {
        ssize_t count = ::pread(file, static_cast<char*>(buffer) + done, length - done, at + static_cast<off_t>(done));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            if (count < 0)
                lastError_ = errno;
            break;
        }
        done += static_cast<std::size_t>(count);
    }
    advance(static_cast<std::int64_t>(done));
    return static_cast<std::int64_t>(done);
}

std::int64_t dvrFile::write(const void* buffer, std::size_t length, std::int64_t offset) {
    return write2(buffer, length, nullptr, 0, offset);
}

std::int64_t dvrFile::write2(const void* first, std::size_t firstLength, const void* second, std::size_t secondLength,
                             std::int64_t offset) {
    if (!isOpen() && !open())
        return 0;
    const auto [file, at] = placeFor(offset, true);
    const std::size_t total = firstLength + secondLength;
    std::size_t done = 0;
    while (done < total) {
        iovec pieces[2];
        int count = 0;
        if (done < firstLength)
            pieces[count++] = {const_cast<char*>(static_cast<const char*>(first)) + done, firstLength - done};
        std::size_t secondDone = done > firstLength ? done - firstLength : 0;
        if (secondLength > secondDone)
            pieces[count++] = {const_cast<char*>(static_cast<const char*>(second)) + secondDone,
                               secondLength - secondDone};
        ssize_t written = ::pwritev(file, pieces, count, at + static_cast<off_t>(done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            lastError_ = written < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<std::size_t>(written);
    }
    advance(static_cast<std::int64_t>(done));
    return static_cast<std::int64_t>(done);
}

bool dvrFile::sync() {
    int file = descriptor();
    if (file < 0)
        return false;
    if (::fdatasync(file) != 0) {
        lastError_ = errno;
        return false;
    }
    return true;
}

std::int64_t dvrFile::size() const {
    int file = descriptor();
    struct stat status{};
    if (file < 0 || ::fstat(file, &status) != 0)
        return -1;
    return static_cast<std::int64_t>(status.st_size);
}

bool dvrFile::close() {
    if (openCount_ == 0)
        return true;
    --openCount_;
    std::lock_guard<std::mutex> guard(tableLock);
    auto found = table().find(path_);
    if (found == table().end())
        return true;
    SharedFile& shared = found->second;
    if (--shared.users <= 0) {
        if (shared.descriptor >= 0)
            ::close(shared.descriptor);
        table().erase(found);
    }
    return true;
}
