#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

#include "dvrCapturedLog.h"
#include "dvrDriveTable.h"
#include "dvrFileSystem.h"
#include "dvrRecordReader.h"
#include "dvrEventually.h"
#include "dvrStorageTestSupport.h"
#include "dvrTemporaryDirectory.h"

namespace {

constexpr std::int64_t day = 86400;
constexpr std::uint64_t smallPage = 300000; // records end at 283,616 at the latest

class dvrFileSystemTest : public ::testing::Test {
protected:
    std::unique_ptr<dvrFileSystem> open(const std::string& description, std::int64_t now = 1700000000) {
        dir().write("mirdal.drv", description);
        dvrFileSystem::Options options;
        options.pageFileSize = smallPage;
        options.inserter.batchInterval = std::chrono::hours(1);
        options.clock = [now] { return now; };
        return dvrFileSystem::open(dir().file("mirdal.drv"), dir().path(), options);
    }

    std::string indexPath() const { return dir().path() + "/drives/d/capture/index.db"; }

    static void add(dvrFileSystem& store, const dvrTestFrame& frame) {
        while (!store.addFrame(frame.record, frame.data.data(), frame.data.size()))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    // "D0:0" for each row: drive, page and offset.
    std::vector<std::string> positions() const {
        std::vector<std::string> result;
        for (const dvrIndexRow& row : readAllRows(indexPath()))
            result.push_back(row.partition + std::to_string(row.page) + ":" + std::to_string(row.offset));
        return result;
    }

    // Every row read back against its record; the number of rows that match.
    std::size_t readableRows(const std::string& description) const {
        dvrDriveTable table;
        table.parse(description, dir().path());
        dvrRecordReader reader(table.drives());
        std::size_t good = 0;
        for (const dvrIndexRow& row : readAllRows(indexPath())) {
            std::vector<std::uint8_t> data;
            dvrStoredRecord::Parsed parsed;
            std::string reason;
            if (reader.read(row, parsed, &data, reason) &&
                data == makeTestFrame(row.bytes, static_cast<std::uint32_t>(row.time), row.milliseconds, row.device,
                                      row.input)
                            .data)
                ++good;
        }
        return good;
    }

    dvrTemporaryDirectory& dir() const { return *directory_; }
    // A fresh store for the next case of a table.
    void renew() { directory_ = std::make_unique<dvrTemporaryDirectory>(); }

    std::unique_ptr<dvrTemporaryDirectory> directory_ = std::make_unique<dvrTemporaryDirectory>();
};

TEST_F(dvrFileSystemTest, FramesAreStoredIndexedAndReadBack) {
    const std::string description = "D\n2\n";
    {
        auto store = open(description);
        ASSERT_TRUE(store);
        EXPECT_EQ(store->startPosition(), (dvrWritePosition{0, 0, 0}));
        EXPECT_EQ(readPointer(indexPath()), "D:0:0"); // made at start on an empty store
        for (std::uint32_t i = 0; i < 300; ++i)
            add(*store, makeTestFrame(100 + i, 1000 + i / 25, (i % 25) * 40, 1, i % 4));
    } // stop: every queued frame is written and every row committed
    auto rows = readAllRows(indexPath());
    ASSERT_EQ(rows.size(), 300u);
    std::int64_t offset = 0;
    for (std::uint32_t i = 0; i < 300; ++i) {
        EXPECT_EQ(rows[i].offset, offset);
        EXPECT_EQ(rows[i].flags, 0x8001u);
        EXPECT_EQ(rows[i].codec, "MJPG");
        offset += 252 + 100 + i;
    }
    EXPECT_EQ(readPointer(indexPath()), "D:0:" + std::to_string(offset));
    EXPECT_EQ(readableRows(description), 300u);
}

TEST_F(dvrFileSystemTest, RecordEndingAtTheLimitStaysAndOneByteMoreMovesOn) {
    // 200,252 + 252 + 83,112 ends exactly at 533,708,800's small-page counterpart 283,616.
    struct Case {
        std::size_t second;
        std::string secondAt;
    } cases[] = {{83112, "D0:200252"}, {83113, "D1:0"}};
    for (const Case& c : cases) {
        renew();
        {
            auto store = open("D\n3\n");
            add(*store, makeTestFrame(200000, 1));
            add(*store, makeTestFrame(c.second, 2));
        }
        EXPECT_EQ(positions(), (std::vector<std::string>{"D0:0", c.secondAt}));
    }
}

TEST_F(dvrFileSystemTest, WrapsOverDrivesAndPrunesThePageFileItReuses) {
    // Two records of 100,252 bytes fill a small page file.
    struct Case {
        const char* name;
        std::int64_t now;
        const char* logged;
    } cases[] = {{"days old", 1000 + 10 * day, "Deleted old recordings"},
                 {"younger than a day", 1000, "CRITICAL: removing old recordings not done"}};
    for (const Case& c : cases) {
        renew();
        const std::string description = "D\n1\nE\n1\n";
        dvrCapturedLog log;
        {
            auto store = open(description, c.now);
            for (std::uint32_t i = 0; i < 6; ++i)
                add(*store, makeTestFrame(100000, 1000 + i));
        }
        // The first two frames' rows went when D0 was reused; rows never outlive their records.
        EXPECT_EQ(positions(), (std::vector<std::string>{"E0:0", "E0:100252", "D0:0", "D0:100252"})) << c.name;
        EXPECT_EQ(readableRows(description), 4u) << c.name;
        EXPECT_TRUE(log.contains(c.logged)) << c.name << ": " << log.all();
    }
}

TEST_F(dvrFileSystemTest, RestartResumesAtThePointer) {
    {
        auto store = open("D\n2\n");
        for (std::uint32_t i = 0; i < 3; ++i)
            add(*store, makeTestFrame(1000, i));
    }
    {
        auto store = open("d\n2\n"); // the letter matches without regard to case
        EXPECT_EQ(store->startPosition(), (dvrWritePosition{0, 0, 3 * 1252}));
        add(*store, makeTestFrame(1000, 3));
    }
    EXPECT_EQ(positions(), (std::vector<std::string>{"D0:0", "D0:1252", "D0:2504", "d0:3756"}));
    EXPECT_EQ(readableRows("D\n2\n"), 4u);
}

TEST_F(dvrFileSystemTest, WithoutPointerResumesBehindTheNewestRecord) {
    {
        auto store = open("D\n2\n");
        add(*store, makeTestFrame(1000, 1));
        add(*store, makeTestFrame(500, 2));
    }
    ASSERT_TRUE(runSql(indexPath(), "DELETE FROM Pointer"));
    {
        auto store = open("D\n2\n");
        EXPECT_EQ(store->startPosition(), (dvrWritePosition{0, 0, 1252 + 752}));
    }
    EXPECT_EQ(readPointer(indexPath()), "D:0:2004");
    EXPECT_EQ(readableRows("D\n2\n"), 2u);
}

TEST_F(dvrFileSystemTest, RowsBehindTheStoredPositionAreDroppedAtStart) {
    {
        auto store = open("D\n2\n");
        add(*store, makeTestFrame(1000, 1));
        add(*store, makeTestFrame(1000, 2));
    }
    ASSERT_TRUE(runSql(indexPath(), "UPDATE Pointer SET phys_offset = 1252"));
    dvrCapturedLog log;
    {
        auto store = open("D\n2\n");
        add(*store, makeTestFrame(10, 3));
    }
    EXPECT_EQ(positions(), (std::vector<std::string>{"D0:0", "D0:1252"}));
    EXPECT_EQ(readableRows("D\n2\n"), 2u);
    EXPECT_TRUE(log.contains("behind the write position were dropped")) << log.all();
}

TEST_F(dvrFileSystemTest, DriveThatCannotBeOpenedIsLeftForTheNextOne) {
    // A directory where the page file should be: it can never be opened as a file.
    ASSERT_EQ(::mkdir(dir().file("drives").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(dir().file("drives/d").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(dir().file("drives/d/capture").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(dir().file("drives/d/capture/mrd0000.tt").c_str(), 0755), 0);
    dvrCapturedLog log;
    {
        auto store = open("D\n2\nE\n2\n");
        for (std::uint32_t i = 0; i < 5; ++i)
            add(*store, makeTestFrame(100, i));
    }
    EXPECT_EQ(positions(), (std::vector<std::string>{"E0:0", "E0:352"}));
    EXPECT_TRUE(log.contains("Drive D cannot be written; recording moves on to drive E.")) << log.all();
    EXPECT_EQ(log.all().find("Could not open file") == std::string::npos, false);
}

TEST_F(dvrFileSystemTest, RootThatIsNotThereIsNotFilled) {
    dvrTemporaryDirectory plain; // exists, but is neither mounted nor prepared with a capture directory
    struct Case {
        std::string root;
        const char* logged;
    } cases[] = {{dir().file("absent"), "does not exist"}, {plain.path(), "is not mounted"}};
    for (const Case& c : cases) {
        renew();
        dvrCapturedLog log;
        {
            auto store = open("E " + c.root + "\n2\nD\n2\n");
            add(*store, makeTestFrame(100, 1));
        }
        EXPECT_EQ(positions(), (std::vector<std::string>{"D0:0"})) << c.root;
        EXPECT_TRUE(log.contains(c.logged)) << log.all();
        struct stat status{};
        EXPECT_NE(::stat((c.root + "/capture").c_str(), &status), 0);
    }
}

TEST_F(dvrFileSystemTest, FailedWriteIsNotIndexedAndRecordingResumes) {
    // A file size limit stands in for a full disk: writes beyond it fail part-way.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    dvrCapturedLog log;
    {
        auto store = open("D\n2\n");
        add(*store, makeTestFrame(60000, 1));
        add(*store, makeTestFrame(60000, 2));
        ASSERT_TRUE(eventually([&] { return store->storedFrames() == 2; }));
        rlimit limited = previous;
        limited.rlim_cur = 150000;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        add(*store, makeTestFrame(60000, 3));
        EXPECT_TRUE(eventually([&] { return store->lostFrames() == 1; }));
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &previous), 0);
        add(*store, makeTestFrame(60000, 4));
    }
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(positions(), (std::vector<std::string>{"D0:0", "D0:60252", "D0:120504"}));
    auto rows = readAllRows(indexPath());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].time, 4);
    EXPECT_EQ(readableRows("D\n2\n"), 3u);
    EXPECT_TRUE(log.contains("Could not write")) << log.all();
    EXPECT_TRUE(log.contains("goes on")) << log.all();
}

TEST_F(dvrFileSystemTest, WithoutDescriptionNothingIsRecorded) {
    dvrCapturedLog log;
    EXPECT_FALSE(dvrFileSystem::open(dir().file("mirdal.drv"), dir().path()));
    EXPECT_TRUE(log.contains("No filesystem found, working in passive mode.")) << log.all();
    dir().write("mirdal.drv", "D\n");
    EXPECT_FALSE(dvrFileSystem::open(dir().file("mirdal.drv"), dir().path()));
    EXPECT_TRUE(log.contains("File system configuration file is corrupted!")) << log.all();
}

} // namespace
