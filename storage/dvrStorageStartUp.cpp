#include "dvrStorageStartUp.h"

#include <memory>
#include <sys/stat.h>

#include "dvrDB_sqlite.h"
#include "dvrDriveTable.h"
#include "dvrFileSystem.h"
#include "dvrIndexSchema.h"

namespace {

std::unique_ptr<dvrDB_sqlite>& connection() {
    static std::unique_ptr<dvrDB_sqlite> database;
    return database;
}

bool exists(const std::string& path) {
    struct stat status{};
    return ::stat(path.c_str(), &status) == 0;
}

} // namespace

bool dvrStorageStartUp::startDatabase(const std::string& settingsDirectory) {
    const std::string description = settingsDirectory + "/" + dvrDriveTable::fileName;
    dvrDriveTable table;
    const bool described = exists(description) && table.load(description, settingsDirectory);
    const std::string path = table.indexDatabasePath(settingsDirectory);
    if (described) {
        if (!dvrFileSystem::prepareIndex(path))
            return false;
    } else if (!exists(path)) {
        return false; // passive mode without recordings: nothing to play either
    }
    connection() = std::make_unique<dvrDB_sqlite>(path);
    return connection()->isOpen();
}

bool dvrStorageStartUp::startFileSystem(const std::string& settingsDirectory) {
    // The index was checked a moment ago by startDatabase.
    return dvrFileSystem::create(settingsDirectory, false);
}

void dvrStorageStartUp::stopFileSystem() { dvrFileSystem::destroy(); }

void dvrStorageStartUp::stopDatabase() { connection().reset(); }

dvrDB_sqlite* dvrStorageStartUp::database() { return connection().get(); }
