#include "dvrInserterThread.h"

#include <algorithm>
#include <vector>

#include "dvrDB_sqlite.h"
#include "dvrReaderCount.h"
#include "log/dvrLog.h"

namespace {

constexpr std::size_t rowsPerTake = 256;
const std::string pointerUpdate =
    "UPDATE Pointer SET phys_partition = ?, phys_fn = ?, phys_offset = ? WHERE type LIKE 'record_store'";
const std::string pointerInsert =
    "INSERT INTO Pointer (id, type, phys_partition, phys_fn, phys_offset) VALUES (0, 'record_store', ?, ?, ?)";

} // namespace

dvrInserterThread::dvrInserterThread(std::string databasePath, dvrReaderCount& readers,
                                     std::mutex& storageStatementLock, PageSync syncPages, Options options)
    : databasePath_(std::move(databasePath)), readers_(readers), storageStatementLock_(storageStatementLock),
      syncPages_(std::move(syncPages)), options_(options) {}

dvrInserterThread::~dvrInserterThread() { stop(); }

void dvrInserterThread::start() {
    if (!thread_.joinable())
        thread_ = std::thread([this] { run(); });
}

void dvrInserterThread::stop() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

bool dvrInserterThread::stopping() const {
    std::lock_guard<std::mutex> guard(lock_);
    return stopping_;
}

bool dvrInserterThread::queueRow(const dvrIndexRow& row, std::uint32_t nextOffset) {
    bool wakeNow;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (queue_.size() >= options_.maximumQueuedRows) {
            ++refused_;
            if (!overflowReported_)
                logError("[DB] The index backlog is full (%zu rows); rows of recorded frames are being lost.",
                         queue_.size());
            overflowReported_ = true;
            return false;
        }
        if (overflowReported_ && queue_.size() < options_.maximumQueuedRows / 2) {
            logMessage("[DB] The index backlog takes rows again.");
            overflowReported_ = false;
        }
        queue_.push_back(Entry{row, nextOffset});
        ++queuedTotal_;
        // A backlog half full does not wait for the next batch time.
        wakeNow = queue_.size() == options_.maximumQueuedRows / 2;
    }
    if (wakeNow)
        wake_.notify_all();
    return true;
}

void dvrInserterThread::flush() {
    std::unique_lock<std::mutex> guard(lock_);
    if (!thread_.joinable() || ended_)
        return;
    flushTarget_ = std::max(flushTarget_, queuedTotal_);
    const std::uint64_t target = queuedTotal_;
    wake_.notify_all();
    handled_.wait(guard, [&] { return handledTotal_ >= target || ended_; });
}

std::size_t dvrInserterThread::queued() const {
    std::lock_guard<std::mutex> guard(lock_);
    return queue_.size();
}

void dvrInserterThread::run() {
    dvrDB_sqlite database(databasePath_);
    auto nextBatch = std::chrono::steady_clock::now() + options_.batchInterval;
    std::unique_lock<std::mutex> guard(lock_);
    while (true) {
        wake_.wait_until(guard, nextBatch, [this] {
            return stopping_ || queue_.size() >= options_.maximumQueuedRows / 2 || handledTotal_ < flushTarget_;
        });
        if (queue_.empty()) {
            handled_.notify_all();
            if (stopping_)
                break;
            nextBatch = std::chrono::steady_clock::now() + options_.batchInterval;
            continue;
        }
        guard.unlock();
        bool finished = commitBatch(database);
        guard.lock();
        // A batch cut short by a reader goes on as soon as the reader is gone.
        nextBatch = finished ? std::chrono::steady_clock::now() + options_.batchInterval
                             : std::chrono::steady_clock::now();
        handled_.notify_all();
    }
    ended_ = true;
    guard.unlock();
    handled_.notify_all();
}

bool dvrInserterThread::commitBatch(dvrDB_sqlite& database) {
    readers_.waitForNone([this] { return stopping(); });
    std::lock_guard<std::mutex> statementGuard(storageStatementLock_);
    if (!database.run("BEGIN TRANSACTION", {})) {
        // Without a usable index the rows cannot be kept; holding them would only stall the
        // deleter and, through it, the writer.
        std::lock_guard<std::mutex> guard(lock_);
        handledTotal_ += queue_.size();
        logError("[DB] The index cannot be written; %zu index rows are lost.", queue_.size());
        queue_.clear();
        return true;
    }
    std::vector<Entry> taken;
    std::size_t inserted = 0;
    bool haveLast = false;
    Entry last{};
    bool cutShort = false;
    std::uint64_t pendingHandled = 0;
    // Rows taken count as handled once their transaction has ended, committed or not.
    struct Handled {
        dvrInserterThread& inserter;
        std::uint64_t& count;
        ~Handled() {
            std::lock_guard<std::mutex> guard(inserter.lock_);
            inserter.handledTotal_ += count;
        }
    } handled{*this, pendingHandled};
    while (true) {
        // Stopping commits everything, readers or not: nothing queued is lost at shut-down.
        if (readers_.active() && !stopping()) {
            cutShort = true;
            break;
        }
        taken.clear();
        {
            std::lock_guard<std::mutex> guard(lock_);
            while (!queue_.empty() && taken.size() < rowsPerTake) {
                taken.push_back(std::move(queue_.front()));
                queue_.pop_front();
            }
            pendingHandled += taken.size();
        }
        if (taken.empty())
            break;
        for (const Entry& entry : taken) {
            if (database.insertRow(entry.row))
                ++inserted;
            last = entry;
            haveLast = true;
        }
    }
    if (haveLast) {
        // The rows must never point at data that a power cut can still take away.
        if (syncPages_ && !syncPages_()) {
            logError("[FS] The page files could not be put on the disk; %zu index rows are not written.", inserted);
            database.run("ROLLBACK", {});
            return !cutShort;
        }
        const std::vector<dvrDBValue> position{last.row.partition, last.row.page, std::int64_t{last.nextOffset}};
        if (database.run(pointerUpdate, position) && database.changes() == 0)
            database.run(pointerInsert, position);
    }
    if (!database.run("COMMIT", {})) {
        database.run("ROLLBACK", {});
        return !cutShort;
    }
    committed_ += inserted;
    return !cutShort;
}
