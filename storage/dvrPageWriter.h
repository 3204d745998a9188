#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "dvrFile.h"

// The page file the writer appends to, kept open while it is being filled. The inserter asks it
// to put the written data on the disk before index rows that point at it commit; a page file
// left behind is put on the disk before it is closed.
class dvrPageWriter {
public:
    ~dvrPageWriter();
    // Makes path the current page file (opening it, creating it when missing). False when it
    // cannot be opened (then there is no current file).
    bool use(const std::string& path);
    // Writes the two pieces at offset; the bytes written.
    std::int64_t write(const void* prefix, std::size_t prefixLength, const void* data, std::size_t dataLength,
                       std::uint32_t offset);
    // fdatasync of the current page file, when anything was written since the last one.
    bool sync();
    void close();
    int lastError() const;

private:
    bool closeCurrent();

    mutable std::mutex lock_;
    // Shared so that a sync can run outside the lock while the writer moves on to another file.
    std::shared_ptr<dvrFile> file_;
    bool unsynced_ = false;
    bool closedUnsynced_ = false;
    int lastError_ = 0;
};
