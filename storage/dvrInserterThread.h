#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "dvrIndexRow.h"

class dvrDB_sqlite;
class dvrReaderCount;

// Commits the index rows of stored frames in transactions of about ten seconds. Before a
// transaction commits, the page data its rows point at is put on the disk, and the transaction
// moves the record_store pointer behind its last row, so a restart never resumes behind rows
// that are committed. Yields to playback readers and continues the moment they are gone. Rows
// still queued at stop are committed.
class dvrInserterThread {
public:
    struct Options {
        std::chrono::milliseconds batchInterval{10000};
        // Rows waiting at most; more are refused (and logged once per episode).
        std::size_t maximumQueuedRows = 200000;
    };
    // Puts the page data written so far on the disk; false when the disk refused.
    using PageSync = std::function<bool()>;

    dvrInserterThread(std::string databasePath, dvrReaderCount& readers, std::mutex& storageStatementLock,
                      PageSync syncPages, Options options);
    ~dvrInserterThread();
    dvrInserterThread(const dvrInserterThread&) = delete;
    dvrInserterThread& operator=(const dvrInserterThread&) = delete;

    void start();
    // Commits what is queued, then ends the thread.
    void stop();

    // Queues the row of a stored record; nextOffset is where the record ends (the pointer goes
    // there when the row commits). False when the backlog is full.
    bool queueRow(const dvrIndexRow& row, std::uint32_t nextOffset);
    std::size_t queued() const;
    // Commits every row queued so far (at once, not at the next batch time) and returns when
    // they are committed or the thread has ended. The deleter calls it before it prunes, so no
    // row of a pruned page file can commit after the pruning.
    void flush();
    std::uint64_t committedRows() const { return committed_.load(); }
    std::uint64_t refusedRows() const { return refused_.load(); }

private:
    struct Entry {
        dvrIndexRow row;
        std::uint32_t nextOffset;
    };

    void run();
    // False when a reader cut the batch short.
    bool commitBatch(dvrDB_sqlite& database);
    bool stopping() const;

    std::string databasePath_;
    dvrReaderCount& readers_;
    std::mutex& storageStatementLock_;
    PageSync syncPages_;
    Options options_;

    mutable std::mutex lock_;
    std::condition_variable wake_;
    std::deque<Entry> queue_;
    bool stopping_ = false;
    bool ended_ = false;
    bool overflowReported_ = false;
    // Rows queued and rows handled (committed or lost) since the start; a flush waits for the
    // handled count to reach the queued count it saw.
    std::uint64_t queuedTotal_ = 0;
    std::uint64_t handledTotal_ = 0;
    std::uint64_t flushTarget_ = 0;
    std::condition_variable handled_;
    std::atomic<std::uint64_t> committed_{0};
    std::atomic<std::uint64_t> refused_{0};
    std::thread thread_;
};
