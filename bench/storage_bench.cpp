// Recording storage: frames through addFrame -> writer -> page file against a plain sequential
// write of the same bytes with the same sync; index rows through the inserter against a minimal
// prepared-statement loop; pruning one page file's rows out of ten million; peak memory.
// Files go to $MIRDAL_BENCH_DIR (default: the working directory), so both sides use one disk.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <sqlite3.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "dvrDB_sqlite.h"
#include "dvrDeleterThread.h"
#include "dvrFileSystem.h"
#include "dvrIndexSchema.h"
#include "dvrInserterThread.h"
#include "dvrReaderCount.h"
#include "dvrStoredRecord.h"
#include "log/dvrLog.h"

namespace {

std::string benchDirectory() {
    const char* base = std::getenv("MIRDAL_BENCH_DIR");
    std::string directory = std::string(base ? base : ".") + "/storage-bench";
    ::mkdir(directory.c_str(), 0755);
    return directory;
}

void removeTree(const std::string& path) {
    std::string command = "rm -rf '" + path + "'";
    if (std::system(command.c_str()) != 0)
        std::abort();
}

void removeDatabase(const std::string& path) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        ::unlink((path + suffix).c_str());
}

long peakResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

dvrFrameRecord frameRecord(std::size_t size, std::uint32_t n) {
    dvrFrameRecord record;
    record.compressedSize = static_cast<std::uint32_t>(size);
    record.width = 704;
    record.height = 576;
    record.code = dvrFrameRecord::codeOf("MPG4");
    record.seconds = 1700000000 + n / 400;
    record.milliseconds = (n % 25) * 40;
    record.boardId = 1;
    record.input = n % 16;
    return record;
}

// Index commits (and so page syncs) come every ten seconds in the recorder; a benchmark run is
// shorter, so both sides sync every second to keep the commits inside the measured time.
constexpr std::chrono::milliseconds syncInterval{1000};

std::size_t framesFor(std::size_t size) { return std::max<std::size_t>(200, (200u << 20) / (size + 252)); }

class QuietLog : public dvrLogTarget {
public:
    QuietLog() { dvrLog::setTarget(this); }
    ~QuietLog() override { dvrLog::setTarget(nullptr); }
    void write(dvrLogSeverity, const std::string&) override {}
};

void BM_StoreFrames(benchmark::State& state) {
    QuietLog quiet;
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    const std::size_t frames = framesFor(size);
    std::vector<std::uint8_t> data(size, 0x5a);
    std::uint64_t refused = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string directory = benchDirectory() + "/store";
        removeTree(directory);
        ::mkdir(directory.c_str(), 0755);
        { std::ofstream(directory + "/mirdal.drv") << "D\n4\n"; }
        dvrFileSystem::Options options;
        options.inserter.batchInterval = syncInterval;
        auto store = dvrFileSystem::open(directory + "/mirdal.drv", directory, options);
        state.ResumeTiming();
        for (std::size_t n = 0; n < frames; ++n)
            while (!store->addFrame(frameRecord(size, static_cast<std::uint32_t>(n)), data.data(), size)) {
                // A capture thread waits a little when the queue is full; spinning here would
                // only take the processor from the writer.
                ++refused;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        store.reset(); // every frame on the disk, every row committed
        state.PauseTiming();
        removeTree(directory);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * frames));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frames * (size + 252)));
    state.counters["queue_full"] = static_cast<double>(refused);
    state.counters["peak_rss_MB"] = static_cast<double>(peakResidentKilobytes()) / 1024.0;
}

// The physical limit: the same records written back to back into one file, synced as often as
// the store syncs (before each index commit) and at the end.
void BM_PlainSequentialWrite(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    const std::size_t frames = framesFor(size);
    std::vector<std::uint8_t> record(size + 252, 0x5a);
    for (auto _ : state) {
        state.PauseTiming();
        const std::string path = benchDirectory() + "/plain.tt";
        ::unlink(path.c_str());
        state.ResumeTiming();
        int file = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        off_t offset = 0;
        auto nextSync = std::chrono::steady_clock::now() + syncInterval;
        for (std::size_t n = 0; n < frames; ++n) {
            if (::pwrite(file, record.data(), record.size(), offset) != static_cast<ssize_t>(record.size()))
                state.SkipWithError("write failed");
            offset += static_cast<off_t>(record.size());
            if (std::chrono::steady_clock::now() >= nextSync) {
                ::fdatasync(file);
                nextSync = std::chrono::steady_clock::now() + syncInterval;
            }
        }
        ::fdatasync(file);
        ::close(file);
        state.PauseTiming();
        ::unlink(path.c_str());
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * frames));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frames * record.size()));
}

// 16 cameras at 25 frames per second with 20 KB frames, each on its own thread as capture
// threads are: how often the queue refused a frame.
void BM_SixteenCamerasAt25(benchmark::State& state) {
    QuietLog quiet;
    constexpr std::size_t size = 20 * 1024;
    std::uint64_t refused = 0;
    std::uint64_t offered = 0;
    for (auto _ : state) {
        const std::string directory = benchDirectory() + "/cameras";
        removeTree(directory);
        ::mkdir(directory.c_str(), 0755);
        { std::ofstream(directory + "/mirdal.drv") << "D\n4\n"; }
        auto store = dvrFileSystem::open(directory + "/mirdal.drv", directory);
        std::atomic<std::uint64_t> refusals{0};
        std::vector<std::thread> cameras;
        for (int camera = 0; camera < 16; ++camera)
            cameras.emplace_back([&, camera] {
                std::vector<std::uint8_t> data(size, static_cast<std::uint8_t>(camera));
                auto next = std::chrono::steady_clock::now();
                for (std::uint32_t n = 0; n < 25 * 8; ++n) { // eight seconds
                    dvrFrameRecord record = frameRecord(size, n);
                    record.input = static_cast<std::uint32_t>(camera);
                    if (!store->addFrame(record, data.data(), size))
                        ++refusals;
                    next += std::chrono::milliseconds(40);
                    std::this_thread::sleep_until(next);
                }
            });
        for (std::thread& camera : cameras)
            camera.join();
        store.reset();
        removeTree(directory);
        refused += refusals;
        offered += 16 * 25 * 8;
    }
    state.counters["offered"] = static_cast<double>(offered);
    state.counters["queue_full"] = static_cast<double>(refused);
}

dvrIndexRow sampleRow(std::int64_t n) {
    dvrIndexRow row;
    row.time = 1700000000 + n / 400;
    row.milliseconds = static_cast<std::int32_t>((n % 25) * 40);
    row.bytes = 20000;
    row.flags = 0x8001;
    row.codec = "MPG4";
    row.device = 1;
    row.input = static_cast<std::int32_t>(n % 16);
    row.partition = "D";
    row.page = n / 25000;
    row.offset = (n % 25000) * 20252;
    return row;
}

constexpr std::int64_t rowsPerRun = 100000;

void BM_InserterRows(benchmark::State& state) {
    QuietLog quiet;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string path = benchDirectory() + "/inserter.db";
        removeDatabase(path);
        dvrIndexSchema::prepare(path);
        dvrReaderCount readers;
        std::mutex statementLock;
        dvrInserterThread inserter(path, readers, statementLock, [] { return true; },
                                   {std::chrono::hours(1), static_cast<std::size_t>(rowsPerRun) * 4});
        inserter.start();
        state.ResumeTiming();
        for (std::int64_t n = 0; n < rowsPerRun; ++n)
            inserter.queueRow(sampleRow(n), static_cast<std::uint32_t>((n % 25000 + 1) * 20252));
        inserter.stop();
        state.PauseTiming();
        removeDatabase(path);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * rowsPerRun);
}

// The yardstick: one prepared statement, one transaction, the same rows.
void BM_MinimalInsertLoop(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        const std::string path = benchDirectory() + "/minimal.db";
        removeDatabase(path);
        dvrIndexSchema::prepare(path);
        state.ResumeTiming();
        sqlite3* database = nullptr;
        sqlite3_open(path.c_str(), &database);
        sqlite3_exec(database, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(database, dvrDB_sqlite::insertRowText, -1, &insert, nullptr);
        sqlite3_exec(database, "BEGIN", nullptr, nullptr, nullptr);
        for (std::int64_t n = 0; n < rowsPerRun; ++n) {
            dvrIndexRow row = sampleRow(n);
            sqlite3_bind_int64(insert, 1, row.time);
            sqlite3_bind_int64(insert, 2, row.milliseconds);
            sqlite3_bind_int64(insert, 3, row.bytes);
            sqlite3_bind_int64(insert, 4, row.flags);
            sqlite3_bind_int64(insert, 5, 0);
            sqlite3_bind_text(insert, 6, row.codec.c_str(), 4, SQLITE_STATIC);
            sqlite3_bind_int64(insert, 7, row.device);
            sqlite3_bind_int64(insert, 8, row.input);
            sqlite3_bind_text(insert, 9, row.partition.c_str(), 1, SQLITE_STATIC);
            sqlite3_bind_int64(insert, 10, row.page);
            sqlite3_bind_int64(insert, 11, row.offset);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_exec(database, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_finalize(insert);
        sqlite3_close(database);
        state.PauseTiming();
        removeDatabase(path);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * rowsPerRun);
}

// Ten million rows, 25,000 per page file: each iteration prunes the next page file, as the
// deleter does when the writer reaches it.
void BM_PrunePageOfTenMillion(benchmark::State& state) {
    QuietLog quiet;
    constexpr std::int64_t totalRows = 10000000;
    const std::string path = benchDirectory() + "/prune.db";
    removeDatabase(path);
    dvrIndexSchema::prepare(path);
    {
        sqlite3* database = nullptr;
        sqlite3_open(path.c_str(), &database);
        sqlite3_exec(database, "PRAGMA synchronous=OFF; BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(database, dvrDB_sqlite::insertRowText, -1, &insert, nullptr);
        for (std::int64_t n = 0; n < totalRows; ++n) {
            dvrIndexRow row = sampleRow(n);
            sqlite3_bind_int64(insert, 1, row.time);
            sqlite3_bind_int64(insert, 2, row.milliseconds);
            sqlite3_bind_int64(insert, 3, row.bytes);
            sqlite3_bind_int64(insert, 4, row.flags);
            sqlite3_bind_int64(insert, 5, 0);
            sqlite3_bind_text(insert, 6, "MPG4", 4, SQLITE_STATIC);
            sqlite3_bind_int64(insert, 7, row.device);
            sqlite3_bind_int64(insert, 8, row.input);
            sqlite3_bind_text(insert, 9, "D", 1, SQLITE_STATIC);
            sqlite3_bind_int64(insert, 10, row.page);
            sqlite3_bind_int64(insert, 11, row.offset);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(database, "COMMIT; PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
        sqlite3_close(database);
    }
    dvrDB_sqlite database(path);
    std::mutex statementLock;
    std::uint32_t page = 0;
    const std::int64_t now = 1700000000 + totalRows / 400 + 10 * 86400;
    for (auto _ : state) {
        dvrDeleterThread::release(database, statementLock, 'D', page++, now);
        // Keep ten million rows: the pruned page comes back at the end, as new recordings would.
        state.PauseTiming();
        database.run("BEGIN", {});
        for (std::int64_t n = 0; n < 25000; ++n) {
            dvrIndexRow row = sampleRow(totalRows + (page - 1) * 25000 + n);
            database.insertRow(row);
        }
        database.run("COMMIT", {});
        state.ResumeTiming();
    }
    state.counters["rows_pruned_per_page"] = 25000;
}

} // namespace

BENCHMARK(BM_StoreFrames)->UseRealTime()->Arg(2 * 1024)->Arg(20 * 1024)->Arg(200 * 1024)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlainSequentialWrite)->UseRealTime()->Arg(2 * 1024)->Arg(20 * 1024)->Arg(200 * 1024)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SixteenCamerasAt25)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_InserterRows)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_MinimalInsertLoop)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PrunePageOfTenMillion)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(5);
