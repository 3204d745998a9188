#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "dvrCapturedLog.h"
#include "dvrDB_sqlite.h"
#include "dvrDeleterThread.h"
#include "dvrIndexSchema.h"
#include "dvrInserterThread.h"
#include "dvrReaderCount.h"
#include "dvrEventually.h"
#include "dvrStorageTestSupport.h"
#include "dvrTemporaryDirectory.h"

namespace {

constexpr std::int64_t now = 1800000000;
constexpr std::int64_t hour = 3600;

dvrIndexRow row(std::int64_t time, const char* letter, std::int64_t page, std::int64_t offset = 0) {
    dvrIndexRow r;
    r.time = time;
    r.bytes = 10;
    r.flags = 0x8001;
    r.codec = "MJPG";
    r.device = 1;
    r.partition = letter;
    r.page = page;
    r.offset = offset;
    return r;
}

class dvrIndexThreads : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dvrIndexSchema::prepare(path)); }

    std::vector<std::int64_t> times() {
        std::vector<std::int64_t> result;
        for (const dvrIndexRow& r : readAllRows(path))
            result.push_back(r.time);
        std::sort(result.begin(), result.end());
        return result;
    }

    dvrTemporaryDirectory directory;
    std::string path = directory.file("index.db");
    dvrReaderCount readers;
    std::mutex statementLock;
};

TEST_F(dvrIndexThreads, ReleaseRemovesThePageRowsAndOlderRowsOfDaysAgo) {
    struct Case {
        const char* name;
        std::int64_t oldestOnPage;
        std::vector<std::int64_t> left;
        const char* logged;
    } cases[] = {
        {"25 hours old", now - 25 * hour, {now - 20 * hour}, "[FS] Deleted old recordings, it took 0 seconds."},
        {"23 hours old", now - 23 * hour,
         {now - 30 * hour, now - 20 * hour},
         "[FS] CRITICAL: removing old recordings not done. fn: 4 fs: D sec: 1799917200"},
    };
    for (const Case& c : cases) {
        runSql(path, "DELETE FROM Datum");
        dvrDB_sqlite database(path);
        // Storage order differs from time order: the oldest frame of the page is not its first row.
        database.insertRow(row(c.oldestOnPage + 60, "D", 4, 0));
        database.insertRow(row(now - 30 * hour, "E", 0));
        database.insertRow(row(c.oldestOnPage, "d", 4, 100));
        database.insertRow(row(now - 20 * hour, "D", 5));
        dvrCapturedLog log;
        dvrDeleterThread::release(database, statementLock, 'D', 4, now);
        EXPECT_EQ(times(), c.left) << c.name;
        EXPECT_TRUE(log.contains(c.logged)) << c.name << ": " << log.all();
    }
}

TEST_F(dvrIndexThreads, ReleaseOfAPageWithoutRowsDeletesNothing) {
    {
        dvrDB_sqlite database(path);
        database.insertRow(row(now - 50 * hour, "D", 1));
        dvrCapturedLog log;
        dvrDeleterThread::release(database, statementLock, 'D', 2, now);
        EXPECT_FALSE(log.contains("Deleted")) << log.all();
    }
    EXPECT_EQ(times().size(), 1u);
}

TEST_F(dvrIndexThreads, DeleterThreadReportsEachRequestDone) {
    {
        dvrDB_sqlite database(path);
        database.insertRow(row(now - 50 * hour, "D", 1));
        database.insertRow(row(now - 49 * hour, "D", 2));
    }
    dvrDeleterThread deleter(path, readers, statementLock, [] { return now; });
    deleter.start();
    std::uint64_t first = deleter.queueRelease('D', 1);
    std::uint64_t second = deleter.queueRelease('D', 2);
    EXPECT_TRUE(deleter.waitDone(second));
    EXPECT_TRUE(deleter.isDone(first));
    EXPECT_TRUE(times().empty());
}

TEST_F(dvrIndexThreads, StopCommitsEveryQueuedRowAndMovesThePointer) {
    std::atomic<int> syncs{0};
    dvrInserterThread inserter(path, readers, statementLock, [&] { return ++syncs, true; },
                               {std::chrono::hours(1), 1000});
    inserter.start();
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(inserter.queueRow(row(1000 + i, "D", 2, 262 * i), 262 * (i + 1)));
    inserter.stop();
    EXPECT_EQ(times().size(), 10u);
    EXPECT_EQ(readPointer(path), "D:2:2620");
    EXPECT_GE(syncs.load(), 1);
}

TEST_F(dvrIndexThreads, PageDataIsOnTheDiskBeforeItsRowsCommit) {
    std::atomic<bool> rowsVisibleAtSync{false};
    auto sync = [&] {
        rowsVisibleAtSync = rowsVisibleAtSync || !readAllRows(path).empty();
        return true;
    };
    dvrInserterThread inserter(path, readers, statementLock, sync, {std::chrono::hours(1), 1000});
    inserter.start();
    inserter.queueRow(row(1, "D", 0), 262);
    inserter.stop();
    EXPECT_FALSE(rowsVisibleAtSync.load());
    EXPECT_EQ(times().size(), 1u);
}

TEST_F(dvrIndexThreads, RowsAreNotCommittedWhenThePageDataCannotBeSynced) {
    dvrCapturedLog log;
    dvrInserterThread inserter(path, readers, statementLock, [] { return false; }, {std::chrono::hours(1), 1000});
    inserter.start();
    inserter.queueRow(row(1, "D", 0), 262);
    inserter.stop();
    EXPECT_TRUE(times().empty());
    EXPECT_EQ(readPointer(path), "");
    EXPECT_TRUE(log.contains("could not be put on the disk")) << log.all();
}

TEST_F(dvrIndexThreads, BatchWaitsForReadersAndGoesOnWhenTheyLeave) {
    dvrInserterThread inserter(path, readers, statementLock, [] { return true; }, {std::chrono::hours(1), 100});
    inserter.start();
    readers.beginRead();
    // Half the backlog starts a batch at once; the reader holds it off.
    for (int i = 0; i < 50; ++i)
        inserter.queueRow(row(i, "D", 0, i * 262), (i + 1) * 262);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(inserter.committedRows(), 0u);
    readers.endRead();
    // With an hour between batches, only the reader's leaving can let the rows in.
    EXPECT_TRUE(eventually([&] { return inserter.committedRows() == 50; }));
}

TEST_F(dvrIndexThreads, BacklogIsBoundedAndItsOverflowLogged) {
    dvrCapturedLog log;
    dvrInserterThread inserter(path, readers, statementLock, [] { return true; }, {std::chrono::hours(1), 10});
    readers.beginRead();
    inserter.start();
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(inserter.queueRow(row(i, "D", 0), 1));
    EXPECT_FALSE(inserter.queueRow(row(10, "D", 0), 1));
    EXPECT_EQ(inserter.refusedRows(), 1u);
    EXPECT_TRUE(log.contains("The index backlog is full")) << log.all();
    readers.endRead();
    inserter.stop();
    EXPECT_EQ(times().size(), 10u);
}

} // namespace

namespace {

TEST(dvrIndexThreadsWithoutIndex, RowsThatCannotBeWrittenNeverStallAFlush) {
    dvrTemporaryDirectory directory;
    dvrReaderCount readers;
    std::mutex statementLock;
    dvrCapturedLog log;
    dvrInserterThread inserter(directory.file("missing/index.db"), readers, statementLock, [] { return true; },
                               {std::chrono::hours(1), 1000});
    inserter.start();
    dvrIndexRow row;
    row.partition = "D";
    inserter.queueRow(row, 1);
    inserter.flush(); // returns: the row is handled, if only by being given up
    EXPECT_EQ(inserter.queued(), 0u);
    EXPECT_TRUE(log.contains("index rows are lost")) << log.all();
}

} // namespace
