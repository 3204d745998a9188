#include "dvrIndexSchema.h"

#include <cstdio>
#include <ctime>
#include <mutex>
#include <sqlite3.h>
#include <sys/stat.h>

#include "dvrDB_sqlite.h"
#include "log/dvrLog.h"

namespace {

constexpr const char* schema =
    "PRAGMA journal_mode=WAL;"
    "CREATE TABLE IF NOT EXISTS Datum (id INTEGER PRIMARY KEY, time INTEGER, milliseconds INTEGER, bytes INTEGER, "
    "flags INTEGER, conditions INTEGER, codec TEXT, from_device INTEGER, from_input INTEGER, phys_partition TEXT, "
    "phys_fn INTEGER, phys_offset INTEGER);"
    "CREATE INDEX IF NOT EXISTS Datum_time ON Datum (time);"
    "CREATE INDEX IF NOT EXISTS Datum_page ON Datum (phys_partition, phys_fn);"
    "CREATE TABLE IF NOT EXISTS Pointer (id INTEGER, type TEXT, phys_partition TEXT, phys_fn INTEGER, "
    "phys_offset INTEGER);";

bool exists(const std::string& path) {
    struct stat status{};
    return ::stat(path.c_str(), &status) == 0;
}

void moveAside(const std::string& path, const std::string& finding) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, ".damaged-%lld", static_cast<long long>(std::time(nullptr)));
    const std::string aside = path + stamp;
    std::rename(path.c_str(), aside.c_str());
    for (const char* companion : {"-wal", "-shm", "-journal"})
        if (exists(path + companion))
            std::rename((path + companion).c_str(), (aside + companion).c_str());
    logWarning("[DB] %s is damaged (%s); it was moved to %s and a new index is made.", path.c_str(),
               finding.c_str(), aside.c_str());
}

} // namespace

std::string dvrIndexSchema::quickCheck(const std::string& path) {
    std::lock_guard<std::recursive_mutex> guard(dvrDB_sqlite::statementLock());
    sqlite3* database = nullptr;
    std::string finding;
    if (sqlite3_open_v2(path.c_str(), &database, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        finding = database ? sqlite3_errmsg(database) : "cannot be opened";
        sqlite3_close(database);
        return finding;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(database, "PRAGMA quick_check", -1, &statement, nullptr) != SQLITE_OK) {
        finding = sqlite3_errmsg(database);
    } else {
        int result;
        while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(statement, 0);
            if (!finding.empty())
                finding += "; ";
            finding += text ? reinterpret_cast<const char*>(text) : "";
            if (finding.size() > 400)
                break;
        }
        if (result != SQLITE_ROW && result != SQLITE_DONE)
            finding = sqlite3_errmsg(database);
    }
    sqlite3_finalize(statement);
    sqlite3_close(database);
    return finding;
}

bool dvrIndexSchema::prepare(const std::string& path, bool check) {
    if (check && exists(path)) {
        std::string finding = quickCheck(path);
        if (finding != "ok")
            moveAside(path, finding);
    }
    std::lock_guard<std::recursive_mutex> guard(dvrDB_sqlite::statementLock());
    sqlite3* database = nullptr;
    if (sqlite3_open_v2(path.c_str(), &database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        logWarning("[DB] Couldn't open %s.", path.c_str());
        sqlite3_close(database);
        return false;
    }
    sqlite3_busy_timeout(database, 10000);
    char* error = nullptr;
    bool ok = sqlite3_exec(database, schema, nullptr, nullptr, &error) == SQLITE_OK;
    if (!ok) {
        logWarning("[DB] %s (%s)", error ? error : "unknown error", "creating the index tables");
        sqlite3_free(error);
    }
    sqlite3_close(database);
    return ok;
}
