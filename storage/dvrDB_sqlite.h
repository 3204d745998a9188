#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

#include "dvrDB_sql.h"

struct sqlite3;
struct sqlite3_stmt;

// One SQLite connection to the index database. Statements are prepared once per connection and
// run with bound values. One process-wide lock is held around every statement of every
// connection, so the index threads and playback never run statements at the same time.
class dvrDB_sqlite : public dvrDB_sql {
public:
    static constexpr const char* insertRowText =
        "INSERT INTO Datum (time, milliseconds, bytes, flags, conditions, codec, from_device, from_input, "
        "phys_partition, phys_fn, phys_offset) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

    // Opens the file (it must exist; dvrIndexSchema makes it); logs "[DB] Couldn't open %s."
    // on failure and every operation then fails.
    explicit dvrDB_sqlite(std::string path);
    ~dvrDB_sqlite() override;
    dvrDB_sqlite(const dvrDB_sqlite&) = delete;
    dvrDB_sqlite& operator=(const dvrDB_sqlite&) = delete;

    bool isOpen() const { return database_ != nullptr; }
    const std::string& path() const { return path_; }

    bool execute(const dvrDBQuery& query) override;
    bool queryTimes(const dvrDBQuery& query, std::vector<std::int32_t>& times) override;
    bool queryTable(const dvrDBQuery& query, Table& table) override;
    bool queryFrames(const dvrDBQuery& query, std::vector<dvrIndexRow>& rows) override;
    // The first column of every row, as 32-bit integers; runs of equal values collapse to one.
    virtual bool queryValues(const dvrDBQuery& query, std::vector<std::int32_t>& values);

    // Runs a statement with its values; onRow sees each result row. False (logged) on failure.
    bool run(const std::string& text, const std::vector<dvrDBValue>& values,
             const std::function<void(sqlite3_stmt*)>& onRow = {});
    // One Datum row, with the cached insert statement.
    bool insertRow(const dvrIndexRow& row);
    // Rows changed by the last statement.
    int changes() const;

    // Held around every statement; re-entrant for its holder.
    static std::recursive_mutex& statementLock();

    // Converts the current row of a "SELECT *" on Datum.
    static dvrIndexRow rowOf(sqlite3_stmt* statement);

private:
    sqlite3_stmt* prepared(const std::string& text);
    bool runPrepared(sqlite3_stmt* statement, const std::string& text, const std::function<void(sqlite3_stmt*)>& onRow);
    bool runQuery(const dvrDBQuery& query, const std::function<void(sqlite3_stmt*)>& onRow);

    std::string path_;
    sqlite3* database_ = nullptr;
    std::unordered_map<std::string, sqlite3_stmt*> statements_;
    // The statement of every stored frame, kept apart from the cache so no lookup costs a hash.
    sqlite3_stmt* insertStatement_ = nullptr;
};
