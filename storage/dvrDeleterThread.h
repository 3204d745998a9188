#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "dvrStorageClock.h"

class dvrDB_sqlite;
class dvrReaderCount;

// Removes the index rows of a page file before the writer overwrites it, and the rows older than
// that page file's oldest frame (unless those are younger than a day: then it warns instead).
class dvrDeleterThread {
public:
    static constexpr std::int64_t protectedSeconds = 86400;

    // beforeRelease runs before each release: it commits the rows still waiting, so none of
    // them can point into the page file after its rows are gone.
    dvrDeleterThread(std::string databasePath, dvrReaderCount& readers, std::mutex& storageStatementLock,
                     dvrStorageClock clock, std::function<void()> beforeRelease = {});
    ~dvrDeleterThread();
    dvrDeleterThread(const dvrDeleterThread&) = delete;
    dvrDeleterThread& operator=(const dvrDeleterThread&) = delete;

    void start();
    // Handles the requests still queued, then ends the thread.
    void stop();

    // Returns the request's number for waitDone.
    std::uint64_t queueRelease(char letter, std::uint32_t page);
    // Waits until the request is done (its deletion committed); false when the thread ended
    // before.
    bool waitDone(std::uint64_t request);
    bool isDone(std::uint64_t request) const;

    // Does one release on a connection, under the storage statement lock. Used by the thread.
    static void release(dvrDB_sqlite& database, std::mutex& storageStatementLock, char letter, std::uint32_t page,
                        std::int64_t now);

private:
    struct Request {
        std::uint64_t number;
        char letter;
        std::uint32_t page;
    };

    void run();

    std::string databasePath_;
    dvrReaderCount& readers_;
    std::mutex& storageStatementLock_;
    dvrStorageClock clock_;
    std::function<void()> beforeRelease_;

    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::deque<Request> queue_;
    std::uint64_t lastQueued_ = 0;
    std::uint64_t lastDone_ = 0;
    bool stopping_ = false;
    bool ended_ = false;
    std::thread thread_;
};
