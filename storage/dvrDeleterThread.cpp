#include "dvrDeleterThread.h"

#include <cctype>
#include <chrono>
#include <optional>
#include <sqlite3.h>

#include "dvrDB_sqlite.h"
#include "dvrReaderCount.h"
#include "log/dvrLog.h"

dvrDeleterThread::dvrDeleterThread(std::string databasePath, dvrReaderCount& readers,
                                   std::mutex& storageStatementLock, dvrStorageClock clock,
                                   std::function<void()> beforeRelease)
    : databasePath_(std::move(databasePath)), readers_(readers), storageStatementLock_(storageStatementLock),
      clock_(std::move(clock)), beforeRelease_(std::move(beforeRelease)) {}

dvrDeleterThread::~dvrDeleterThread() { stop(); }

void dvrDeleterThread::start() {
    if (!thread_.joinable())
        thread_ = std::thread([this] { run(); });
}

void dvrDeleterThread::stop() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

std::uint64_t dvrDeleterThread::queueRelease(char letter, std::uint32_t page) {
    std::uint64_t number;
    {
        std::lock_guard<std::mutex> guard(lock_);
        number = ++lastQueued_;
        queue_.push_back(Request{number, letter, page});
    }
    changed_.notify_all();
    return number;
}

bool dvrDeleterThread::isDone(std::uint64_t request) const {
    std::lock_guard<std::mutex> guard(lock_);
    return lastDone_ >= request;
}

bool dvrDeleterThread::waitDone(std::uint64_t request) {
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait(guard, [&] { return lastDone_ >= request || ended_; });
    return lastDone_ >= request;
}

void dvrDeleterThread::release(dvrDB_sqlite& database, std::mutex& storageStatementLock, char letter,
                               std::uint32_t page, std::int64_t now) {
    // Rows of either case of the letter point into the same page file.
    const std::vector<dvrDBValue> pageValues{
        std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))),
        std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(letter)))), std::int64_t{page}};
    std::lock_guard<std::mutex> statementGuard(storageStatementLock);
    if (!database.run("BEGIN TRANSACTION", {}))
        return;
    std::optional<std::int64_t> oldest;
    database.run("SELECT MIN(time) FROM Datum WHERE phys_partition IN (?, ?) AND phys_fn = ?", pageValues,
                 [&](sqlite3_stmt* statement) {
                     if (sqlite3_column_type(statement, 0) != SQLITE_NULL)
                         oldest = sqlite3_column_int64(statement, 0);
                 });
    // The page file is about to be overwritten: its rows go whatever their age.
    database.run("DELETE FROM Datum WHERE phys_partition IN (?, ?) AND phys_fn = ?", pageValues);
    if (oldest && *oldest != 0) {
        if (*oldest > now - protectedSeconds) {
            logMessage("[FS] CRITICAL: removing old recordings not done. fn: %u fs: %c sec: %lld", page, letter,
                       static_cast<long long>(*oldest));
        } else {
            auto started = std::chrono::steady_clock::now();
            database.run("DELETE FROM Datum WHERE time < ?", {*oldest});
            auto seconds =
                std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started).count();
            logMessage("[FS] Deleted old recordings, it took %d seconds.", static_cast<int>(seconds));
        }
    }
    if (!database.run("COMMIT", {}))
        database.run("ROLLBACK", {});
}

void dvrDeleterThread::run() {
    dvrDB_sqlite database(databasePath_);
    while (true) {
        Request request{};
        {
            std::unique_lock<std::mutex> guard(lock_);
            changed_.wait(guard, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty())
                break;
            request = queue_.front();
            queue_.pop_front();
        }
        if (beforeRelease_)
            beforeRelease_();
        readers_.waitForNone([this] {
            std::lock_guard<std::mutex> guard(lock_);
            return stopping_;
        });
        release(database, storageStatementLock_, request.letter, request.page, clock_());
        {
            std::lock_guard<std::mutex> guard(lock_);
            lastDone_ = request.number;
        }
        changed_.notify_all();
    }
    {
        std::lock_guard<std::mutex> guard(lock_);
        ended_ = true;
    }
    changed_.notify_all();
}
