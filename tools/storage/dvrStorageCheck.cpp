#include "dvrStorageCheck.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include "dvrDB_sqlite.h"
#include "dvrDriveTable.h"
#include "dvrIndexSchema.h"
#include "dvrRecordReader.h"

dvrStorageCheck::Result dvrStorageCheck::run(const std::string& settingsDirectory, std::ostream& out) {
    Result result;
    const std::string description = settingsDirectory + "/" + dvrDriveTable::fileName;
    dvrDriveTable table;
    if (!table.load(description, settingsDirectory)) {
        out << "No usable drive description in " << description << ".\n";
        return result;
    }
    const std::string indexPath = table.indexDatabasePath(settingsDirectory);
    struct stat status{};
    if (::stat(indexPath.c_str(), &status) != 0) {
        out << "No index at " << indexPath << ".\n";
        return result;
    }
    const std::string integrity = dvrIndexSchema::quickCheck(indexPath);
    if (integrity != "ok") {
        out << "The index " << indexPath << " is damaged: " << integrity << "\n";
        return result;
    }
    dvrDB_sqlite database(indexPath);
    if (!database.isOpen()) {
        out << "The index " << indexPath << " cannot be opened.\n";
        return result;
    }
    result.opened = true;
    dvrRecordReader reader(table.drives());
    // In page order, so the page files are read front to back.
    database.run("SELECT * FROM Datum ORDER BY phys_partition, phys_fn, phys_offset", {}, [&](sqlite3_stmt* statement) {
        const dvrIndexRow row = dvrDB_sqlite::rowOf(statement);
        ++result.rows;
        dvrStoredRecord::Parsed parsed;
        std::string reason;
        if (reader.read(row, parsed, nullptr, reason))
            return;
        if (++result.mismatches <= maximumListed)
            out << "Row " << row.key << " (" << row.time << "." << row.milliseconds << ", board " << row.device
                << " input " << row.input << ") at " << row.partition << ":" << row.page << "+" << row.offset << ": "
                << reason << "\n";
    });
    out << result.rows << " index rows checked, " << result.mismatches << " do not match their records.\n";
    return result;
}
