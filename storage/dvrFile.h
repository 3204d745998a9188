#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>

// A page file, opened for reading and writing (created when missing). Objects for the same path
// share one handle and one pair of read and write positions through a process-wide table, so a
// transfer with offset -1 continues where the last transfer of any of them ended. The handle
// closes when the last object that opened it closes.
class dvrFile {
public:
    explicit dvrFile(std::string path);
    // Does not create the file: for readers, who must never make an empty page file appear.
    static dvrFile forReading(std::string path);
    virtual ~dvrFile();
    dvrFile(dvrFile&& other) noexcept;
    dvrFile& operator=(dvrFile&&) = delete;
    dvrFile(const dvrFile&) = delete;
    dvrFile& operator=(const dvrFile&) = delete;

    virtual bool isOpen() const;
    // Opens the shared handle when it is closed and sets both shared positions to 0; logs
    // "[FILESYSTEM] Could not open file ..." and returns false on failure.
    virtual bool open();
    // Sets both shared positions to offset; true.
    virtual bool seek(std::int64_t offset);
    virtual std::int64_t tell() const;
    // Transfers at offset, or at the shared position when offset is -1; returns the bytes moved
    // (fewer on an error or at the end of the file) and adds them to both positions.
    virtual std::int64_t read(void* buffer, std::size_t length, std::int64_t offset);
    virtual std::int64_t write(const void* buffer, std::size_t length, std::int64_t offset);
    // Writes two pieces back to back at offset in one call; returns the bytes written.
    std::int64_t write2(const void* first, std::size_t firstLength, const void* second, std::size_t secondLength,
                        std::int64_t offset);
    // Puts the written data on the disk (fdatasync); false when the disk refused.
    bool sync();
    // The file's length, -1 when it is not open.
    std::int64_t size() const;
    virtual bool close();

    const std::string& path() const { return path_; }
    // The error of the last failed transfer or open (errno), 0 when none.
    int lastError() const { return lastError_; }

private:
    dvrFile(std::string path, bool create);
    int descriptor() const;
    void advance(std::int64_t count);
    struct Place {
        int descriptor;
        std::int64_t at;
    };
    // The shared descriptor and where an operation starts: offset, or the read or write position for -1.
    Place placeFor(std::int64_t offset, bool writing);

    std::string path_;
    bool create_ = true;
    int openCount_ = 0;
    int lastError_ = 0;
};
