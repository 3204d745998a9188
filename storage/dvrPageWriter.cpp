#include "dvrPageWriter.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A page file made just now is only found after a power cut once its directory entry is on the
// disk too.
void syncDirectoryOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash);
    int descriptor = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

} // namespace

dvrPageWriter::~dvrPageWriter() { close(); }

bool dvrPageWriter::closeCurrent() {
    bool ok = true;
    if (file_) {
        if (unsynced_ && !file_->sync()) {
            lastError_ = file_->lastError();
            closedUnsynced_ = true;
            ok = false;
        }
        file_.reset();
    }
    unsynced_ = false;
    return ok;
}

bool dvrPageWriter::use(const std::string& path) {
    std::lock_guard<std::mutex> guard(lock_);
    if (file_ && file_->path() == path && file_->isOpen())
        return true;
    closeCurrent();
    struct stat status{};
    const bool existed = ::stat(path.c_str(), &status) == 0;
    auto file = std::make_shared<dvrFile>(path);
    if (!file->isOpen()) {
        lastError_ = file->lastError();
        return false;
    }
    if (!existed)
        syncDirectoryOf(path);
    file_ = std::move(file);
    return true;
}

std::int64_t dvrPageWriter::write(const void* prefix, std::size_t prefixLength, const void* data,
                                  std::size_t dataLength, std::uint32_t offset) {
    dvrFile* file;
    {
        std::lock_guard<std::mutex> guard(lock_);
        file = file_.get();
        if (!file)
            return 0;
    }
    // Only the writer thread changes file_, so it stays valid outside the lock.
    std::int64_t written = file->write2(prefix, prefixLength, data, dataLength, offset);
    std::lock_guard<std::mutex> guard(lock_);
    // Marked after the write: a sync that started during it does not count for it.
    unsynced_ = true;
    if (written != static_cast<std::int64_t>(prefixLength + dataLength))
        lastError_ = file->lastError();
    return written;
}

bool dvrPageWriter::sync() {
    std::shared_ptr<dvrFile> file;
    bool ok;
    {
        std::lock_guard<std::mutex> guard(lock_);
        ok = !closedUnsynced_;
        closedUnsynced_ = false;
        if (file_ && unsynced_) {
            unsynced_ = false;
            file = file_;
        }
    }
    // The disk flush runs without the lock, so the writer's next record never waits for it.
    if (file && !file->sync()) {
        std::lock_guard<std::mutex> guard(lock_);
        lastError_ = file->lastError();
        ok = false;
    }
    return ok;
}

void dvrPageWriter::close() {
    std::lock_guard<std::mutex> guard(lock_);
    closeCurrent();
}

int dvrPageWriter::lastError() const {
    std::lock_guard<std::mutex> guard(lock_);
    return lastError_;
}
