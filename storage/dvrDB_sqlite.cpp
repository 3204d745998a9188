#include "dvrDB_sqlite.h"

#include <sqlite3.h>

#include "log/dvrLog.h"

namespace {

// Playback builds statements for many camera sets; the cache stays small.
constexpr std::size_t maximumCachedStatements = 64;

std::string textOf(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    return text ? reinterpret_cast<const char*>(text) : std::string();
}

} // namespace

std::recursive_mutex& dvrDB_sqlite::statementLock() {
    static std::recursive_mutex lock;
    return lock;
}

dvrDB_sqlite::dvrDB_sqlite(std::string path) : path_(std::move(path)) {
    std::lock_guard<std::recursive_mutex> guard(statementLock());
    if (sqlite3_open_v2(path_.c_str(), &database_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(database_);
        database_ = nullptr;
        logWarning("[DB] Couldn't open %s.", path_.c_str());
        return;
    }
    sqlite3_busy_timeout(database_, 10000);
    sqlite3_exec(database_, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    logVerbose("DB %s opened", path_.c_str());
}

dvrDB_sqlite::~dvrDB_sqlite() {
    std::lock_guard<std::recursive_mutex> guard(statementLock());
    for (auto& [text, statement] : statements_)
        sqlite3_finalize(statement);
    statements_.clear();
    sqlite3_finalize(insertStatement_);
    if (database_)
        sqlite3_close(database_);
}

sqlite3_stmt* dvrDB_sqlite::prepared(const std::string& text) {
    auto found = statements_.find(text);
    if (found != statements_.end())
        return found->second;
    if (statements_.size() >= maximumCachedStatements) {
        for (auto& [cachedText, statement] : statements_)
            sqlite3_finalize(statement);
        statements_.clear();
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(database_, text.c_str(), static_cast<int>(text.size()), SQLITE_PREPARE_PERSISTENT,
                           &statement, nullptr) != SQLITE_OK) {
        logWarning("[DB] %s (%s)", sqlite3_errmsg(database_), text.c_str());
        sqlite3_finalize(statement);
        return nullptr;
    }
    statements_.emplace(text, statement);
    return statement;
}

bool dvrDB_sqlite::runPrepared(sqlite3_stmt* statement, const std::string& text,
                               const std::function<void(sqlite3_stmt*)>& onRow) {
    int result;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW)
        if (onRow)
            onRow(statement);
    bool ok = result == SQLITE_DONE;
    if (!ok)
        logWarning("[DB] %s (%s)", sqlite3_errmsg(database_), text.c_str());
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return ok;
}

bool dvrDB_sqlite::run(const std::string& text, const std::vector<dvrDBValue>& values,
                       const std::function<void(sqlite3_stmt*)>& onRow) {
    std::lock_guard<std::recursive_mutex> guard(statementLock());
    if (!database_)
        return false;
    sqlite3_stmt* statement = prepared(text);
    if (!statement)
        return false;
    int index = 1;
    for (const dvrDBValue& value : values) {
        if (const auto* number = std::get_if<std::int64_t>(&value))
            sqlite3_bind_int64(statement, index, *number);
        else {
            const std::string& textValue = std::get<std::string>(value);
            sqlite3_bind_text(statement, index, textValue.data(), static_cast<int>(textValue.size()), SQLITE_TRANSIENT);
        }
        ++index;
    }
    return runPrepared(statement, text, onRow);
}

bool dvrDB_sqlite::insertRow(const dvrIndexRow& row) {
    std::lock_guard<std::recursive_mutex> guard(statementLock());
    if (!database_)
        return false;
    static const std::string text = insertRowText;
    if (!insertStatement_ && sqlite3_prepare_v3(database_, insertRowText, -1, SQLITE_PREPARE_PERSISTENT,
                                                &insertStatement_, nullptr) != SQLITE_OK) {
        logWarning("[DB] %s (%s)", sqlite3_errmsg(database_), insertRowText);
        sqlite3_finalize(insertStatement_);
        insertStatement_ = nullptr;
        return false;
    }
    sqlite3_stmt* statement = insertStatement_;
    sqlite3_bind_int64(statement, 1, row.time);
    sqlite3_bind_int64(statement, 2, row.milliseconds);
    sqlite3_bind_int64(statement, 3, row.bytes);
    sqlite3_bind_int64(statement, 4, row.flags);
    sqlite3_bind_int64(statement, 5, row.conditions);
    sqlite3_bind_text(statement, 6, row.codec.data(), static_cast<int>(row.codec.size()), SQLITE_STATIC);
    sqlite3_bind_int64(statement, 7, row.device);
    sqlite3_bind_int64(statement, 8, row.input);
    sqlite3_bind_text(statement, 9, row.partition.data(), static_cast<int>(row.partition.size()), SQLITE_STATIC);
    sqlite3_bind_int64(statement, 10, row.page);
    sqlite3_bind_int64(statement, 11, row.offset);
    return runPrepared(statement, text, {});
}

int dvrDB_sqlite::changes() const {
    std::lock_guard<std::recursive_mutex> guard(statementLock());
    return database_ ? sqlite3_changes(database_) : 0;
}

bool dvrDB_sqlite::runQuery(const dvrDBQuery& query, const std::function<void(sqlite3_stmt*)>& onRow) {
    std::string text;
    std::vector<dvrDBValue> values;
    query.buildSql(text, values);
    if (text.empty() || text.size() > dvrDBQuery::maximumTextLength)
        return false;
    return run(text, values, onRow);
}

bool dvrDB_sqlite::execute(const dvrDBQuery& query) {
    bool anyRow = false;
    bool ok = runQuery(query, [&](sqlite3_stmt*) { anyRow = true; });
    return ok && anyRow;
}

bool dvrDB_sqlite::queryTable(const dvrDBQuery& query, Table& table) {
    table.clear();
    return runQuery(query, [&](sqlite3_stmt* statement) {
        int columns = sqlite3_column_count(statement);
        for (int column = 0; column < columns; ++column)
            table[sqlite3_column_name(statement, column)].push_back(textOf(statement, column));
    });
}

dvrIndexRow dvrDB_sqlite::rowOf(sqlite3_stmt* statement) {
    dvrIndexRow row;
    row.key = sqlite3_column_int64(statement, 0);
    row.time = sqlite3_column_int64(statement, 1);
    row.milliseconds = sqlite3_column_int(statement, 2);
    row.bytes = static_cast<std::uint32_t>(sqlite3_column_int64(statement, 3));
    row.flags = static_cast<std::uint32_t>(sqlite3_column_int64(statement, 4));
    row.conditions = sqlite3_column_int(statement, 5);
    row.codec = textOf(statement, 6).substr(0, 7);
    row.device = sqlite3_column_int(statement, 7);
    row.input = sqlite3_column_int(statement, 8);
    row.partition = textOf(statement, 9).substr(0, 3);
    row.page = sqlite3_column_int64(statement, 10);
    row.offset = sqlite3_column_int64(statement, 11);
    return row;
}

bool dvrDB_sqlite::queryFrames(const dvrDBQuery& query, std::vector<dvrIndexRow>& rows) {
    return runQuery(query, [&](sqlite3_stmt* statement) {
        if (sqlite3_column_count(statement) >= 12)
            rows.push_back(rowOf(statement));
    });
}

bool dvrDB_sqlite::queryValues(const dvrDBQuery& query, std::vector<std::int32_t>& values) {
    bool haveLast = false;
    std::int32_t last = 0;
    return runQuery(query, [&](sqlite3_stmt* statement) {
        std::int32_t value = sqlite3_column_int(statement, 0);
        if (haveLast && value == last)
            return;
        values.push_back(value);
        last = value;
        haveLast = true;
    });
}

bool dvrDB_sqlite::queryTimes(const dvrDBQuery& query, std::vector<std::int32_t>& times) {
    std::size_t before = times.size();
    return queryValues(query, times) && times.size() > before;
}
