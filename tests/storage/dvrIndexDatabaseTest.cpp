#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sys/stat.h>

#include "dvrCapturedLog.h"
#include "dvrDBQuery_day.h"
#include "dvrDBQuery_minutes.h"
#include "dvrDBQuery_recordings.h"
#include "dvrDBQuery_sql.h"
#include "dvrDB_sqlite.h"
#include "dvrIndexSchema.h"
#include "dvrStorageTestSupport.h"
#include "dvrTemporaryDirectory.h"

namespace {

dvrIndexRow row(std::int64_t time, std::int32_t device, std::int32_t input, std::int64_t offset = 0) {
    dvrIndexRow r;
    r.time = time;
    r.milliseconds = 5;
    r.bytes = 100;
    r.flags = 0x8001;
    r.codec = "MPG4";
    r.device = device;
    r.input = input;
    r.partition = "d";
    r.page = 3;
    r.offset = offset;
    return r;
}

TEST(dvrIndexDatabase, MakesTablesAndIndexesInTheirOrder) {
    dvrTemporaryDirectory directory;
    const std::string path = directory.file("index.db");
    ASSERT_TRUE(dvrIndexSchema::prepare(path));
    dvrDB_sqlite database(path);
    dvrDB_sql::Table table;
    ASSERT_TRUE(database.queryTable(dvrDBQuery_sql("SELECT name FROM pragma_table_info('Datum') ORDER BY cid"), table));
    EXPECT_EQ(table["name"], (std::vector<std::string>{"id", "time", "milliseconds", "bytes", "flags", "conditions",
                                                      "codec", "from_device", "from_input", "phys_partition",
                                                      "phys_fn", "phys_offset"}));
    ASSERT_TRUE(database.queryTable(
        dvrDBQuery_sql("SELECT name FROM pragma_index_list('Datum') WHERE origin = 'c' ORDER BY name"), table));
    EXPECT_EQ(table["name"].size(), 2u);
    ASSERT_TRUE(database.insertRow(row(1000, 1, 0, 44)));
    std::vector<dvrIndexRow> rows;
    ASSERT_TRUE(database.queryFrames(dvrDBQuery_sql("SELECT * FROM Datum"), rows));
    ASSERT_EQ(rows.size(), 1u);
    dvrIndexRow expected = row(1000, 1, 0, 44);
    expected.key = rows[0].key;
    EXPECT_EQ(rows[0], expected);
}

TEST(dvrIndexDatabase, DamagedFileIsMovedAsideAndRecordingGoesOn) {
    dvrTemporaryDirectory directory;
    const std::string path = directory.file("index.db");
    ASSERT_TRUE(dvrIndexSchema::prepare(path));
    {
        dvrDB_sqlite database(path);
        for (int i = 0; i < 2000; ++i)
            database.insertRow(row(i, 1, 0, i));
    }
    // Garble pages in the middle of the file, as a torn write would.
    std::string bytes = readFile(path);
    ASSERT_GT(bytes.size(), 20000u);
    for (std::size_t i = 8192; i < 16384; ++i)
        bytes[i] = static_cast<char>(i * 31);
    directory.write("index.db", bytes);
    dvrCapturedLog log;
    EXPECT_NE(dvrIndexSchema::quickCheck(path), "ok");
    ASSERT_TRUE(dvrIndexSchema::prepare(path));
    EXPECT_TRUE(log.contains("is damaged")) << log.all();
    EXPECT_EQ(dvrIndexSchema::quickCheck(path), "ok");
    dvrDB_sqlite database(path);
    EXPECT_TRUE(database.insertRow(row(1, 1, 0)));
    EXPECT_EQ(readAllRows(path).size(), 1u);

    directory.write("index.db", "not a database at all, just text that someone wrote here");
    ASSERT_TRUE(dvrIndexSchema::prepare(path));
    EXPECT_EQ(dvrIndexSchema::quickCheck(path), "ok");
}

TEST(dvrIndexDatabase, ValuesNeverBecomeStatementText) {
    dvrTemporaryDirectory directory;
    const std::string path = directory.file("index.db");
    ASSERT_TRUE(dvrIndexSchema::prepare(path));
    dvrDB_sqlite database(path);
    dvrIndexRow hostile = row(5, 1, 0);
    hostile.codec = "\"); DROP TABLE Datum; --";
    hostile.partition = "'";
    ASSERT_TRUE(database.insertRow(hostile));
    auto rows = readAllRows(path);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].partition, "'");
}

TEST(dvrIndexDatabase, QueriesBuildTheirStatementsWithBoundValues) {
    std::string text;
    std::vector<dvrDBValue> values;
    dvrDBQuery_recordings all(1000, 1010);
    all.buildSql(text, values);
    EXPECT_EQ(text, "SELECT * FROM Datum WHERE time >= ? AND time < ?");
    EXPECT_EQ(values, (std::vector<dvrDBValue>{std::int64_t{1000}, std::int64_t{1010}}));

    dvrDBQuery_recordings two(1000, 1010);
    two.addCamera(1, 2);
    two.addCamera(1, 0);
    two.addCamera(1, 2);
    two.buildSql(text, values);
    EXPECT_EQ(text, "SELECT * FROM Datum WHERE time >= ? AND time < ? AND ( (from_device=? AND from_input=?) OR "
                    "(from_device=? AND from_input=?))");
    EXPECT_EQ(values.size(), 6u);
    EXPECT_EQ(values[3], dvrDBValue(std::int64_t{0})); // ordered by device, then input

    dvrDBQuery_minutes minutes(5, 9);
    minutes.addCamera(2, 1);
    minutes.buildSql(text, values);
    EXPECT_EQ(text, "SELECT time as minute FROM Datum WHERE time >= ? AND time <= ? AND ( (from_device=? AND "
                    "from_input=?))");
}

TEST(dvrIndexDatabase, DayQueryCoversTheLocalDayAlsoOnADaylightSavingChange) {
    const char* previous = std::getenv("TZ");
    std::string saved = previous ? previous : "";
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    dvrDBQuery_day day(31, 3, 2024); // clocks go forward at 02:00
    EXPECT_EQ(day.dayEnd() - day.dayStart(), 23 * 3600 - 1);
    dvrDBQuery_day ordinary(30, 3, 2024);
    EXPECT_EQ(ordinary.dayEnd() - ordinary.dayStart(), 24 * 3600 - 1);
    if (previous)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(dvrIndexDatabase, ResultsOfTheQueryOperations) {
    dvrTemporaryDirectory directory;
    const std::string path = directory.file("index.db");
    ASSERT_TRUE(dvrIndexSchema::prepare(path));
    dvrDB_sqlite database(path);
    for (std::int64_t time : {100, 100, 101, 101, 101, 103})
        database.insertRow(row(time, 1, time == 103 ? 2 : 0));
    EXPECT_FALSE(database.execute(dvrDBQuery_sql("INSERT INTO Datum (time) VALUES (1)"))); // no rows
    EXPECT_TRUE(database.execute(dvrDBQuery_sql("SELECT time FROM Datum")));
    std::vector<std::int32_t> times;
    ASSERT_TRUE(database.queryTimes(dvrDBQuery_minutes(100, 103), times));
    EXPECT_EQ(times, (std::vector<std::int32_t>{100, 101, 103}));
    // A second list is whole: its first value is not lost because the last list ended with it.
    std::vector<std::int32_t> again;
    ASSERT_TRUE(database.queryTimes(dvrDBQuery_minutes(103, 103), again));
    EXPECT_EQ(again, (std::vector<std::int32_t>{103}));
    std::vector<dvrIndexRow> rows;
    dvrDBQuery_recordings one(100, 104);
    one.addCamera(1, 2);
    ASSERT_TRUE(database.queryFrames(one, rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].time, 103);
    EXPECT_FALSE(database.queryTimes(dvrDBQuery_minutes(200, 300), times));

    dvrCapturedLog log;
    EXPECT_FALSE(database.execute(dvrDBQuery_sql("SELECT nothing FROM Nowhere")));
    EXPECT_TRUE(log.contains("[DB] ")) << log.all();
    EXPECT_TRUE(log.contains("(SELECT nothing FROM Nowhere)")) << log.all();
    database.run("UPDATE Datum SET phys_partition = NULL", {});
    rows.clear();
    ASSERT_TRUE(database.queryFrames(dvrDBQuery_sql("SELECT * FROM Datum LIMIT 1"), rows));
    EXPECT_EQ(rows[0].partition, "");
}

TEST(dvrIndexDatabase, MissingFileLeavesAClosedConnection) {
    dvrTemporaryDirectory directory;
    dvrCapturedLog log;
    dvrDB_sqlite database(directory.file("missing/index.db"));
    EXPECT_FALSE(database.isOpen());
    EXPECT_TRUE(log.contains("[DB] Couldn't open")) << log.all();
    EXPECT_FALSE(database.execute(dvrDBQuery_sql("SELECT 1")));
}

} // namespace
