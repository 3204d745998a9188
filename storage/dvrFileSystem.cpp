#include "dvrFileSystem.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <sqlite3.h>
#include <sys/stat.h>

#include "dvrDB_sqlite.h"
#include "dvrDriveTable.h"
#include "dvrIndexSchema.h"
#include "dvrStoredRecord.h"
#include "log/dvrLog.h"

namespace {

std::atomic<dvrFileSystem*> theFileSystem{nullptr};
std::unique_ptr<dvrFileSystem>& owned() {
    static std::unique_ptr<dvrFileSystem> fileSystem;
    return fileSystem;
}

bool isDirectory(const std::string& path) {
    struct stat status{};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Creates the directory and the missing ones above it.
bool makeDirectories(const std::string& path) {
    if (path.empty() || isDirectory(path))
        return true;
    std::size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !makeDirectories(path.substr(0, slash)))
        return false;
    return ::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

// A root named in the description file that lies on the same device as its parent is an empty
// mount point (or a plain folder): filling it would fill the system disk instead.
bool isMountPoint(const std::string& root) {
    struct stat here{};
    struct stat parent{};
    if (::stat(root.c_str(), &here) != 0 || ::stat((root + "/..").c_str(), &parent) != 0)
        return false;
    return here.st_dev != parent.st_dev || here.st_ino == parent.st_ino;
}

std::string directoryOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

} // namespace

dvrFileSystem::dvrFileSystem(std::vector<dvrDrive> drives, std::string indexPath, Options options)
    : options_(std::move(options)), indexPath_(std::move(indexPath)), ring_(std::move(drives), options_.pageFileSize),
      recordingWatchdog_(options_.clock) {}

std::unique_ptr<dvrFileSystem> dvrFileSystem::open(const std::string& driveFilePath,
                                                   const std::string& settingsDirectory) {
    return open(driveFilePath, settingsDirectory, Options{});
}

std::unique_ptr<dvrFileSystem> dvrFileSystem::open(const std::string& driveFilePath,
                                                   const std::string& settingsDirectory, Options options) {
    struct stat status{};
    if (::stat(driveFilePath.c_str(), &status) != 0) {
        logMessage("No filesystem found, working in passive mode.");
        return nullptr;
    }
    dvrDriveTable table;
    if (!table.load(driveFilePath, settingsDirectory)) {
        logError("[FILESYSTEM] %s cannot be used; nothing will be recorded.", driveFilePath.c_str());
        return nullptr;
    }
    // A record must always fit into an empty page file.
    const std::uint64_t smallest = dvrDriveRing::pageReserve + dvrStoredRecord::prefixSize + dvrFrameQueue::bufferSize;
    if (options.pageFileSize < smallest)
        options.pageFileSize = smallest;
    std::string indexPath = table.indexDatabasePath(settingsDirectory);
    std::unique_ptr<dvrFileSystem> fileSystem(new dvrFileSystem(table.drives(), indexPath, std::move(options)));
    fileSystem->checkDrives();
    if (!fileSystem->queue_.ready())
        return nullptr;
    if (!prepareIndex(indexPath, fileSystem->options_.checkIndex))
        logError("[DB] The index %s cannot be made; recorded frames cannot be found again.", indexPath.c_str());
    fileSystem->restorePosition();
    fileSystem->start();
    return fileSystem;
}

void dvrFileSystem::checkDrives() {
    const auto& drives = ring_.drives();
    for (std::uint32_t i = 0; i < drives.size(); ++i) {
        const dvrDrive& drive = drives[i];
        if (drive.pageFileCount == 0)
            continue;
        const std::string directory = dvrDriveTable::recordingDirectory(drive);
        bool usable;
        if (!drive.explicitRoot) {
            usable = makeDirectories(directory);
        } else if (!isDirectory(drive.root)) {
            logError("[FILESYSTEM] The root %s of drive %c does not exist; nothing is recorded there.",
                     drive.root.c_str(), drive.letter);
            usable = false;
        } else if (!isDirectory(directory) && !isMountPoint(drive.root)) {
            logError("[FILESYSTEM] %s is not mounted and holds no capture directory; nothing is recorded on drive %c.",
                     drive.root.c_str(), drive.letter);
            usable = false;
        } else {
            usable = makeDirectories(directory);
        }
        if (!usable && isDirectory(drive.root) && !isDirectory(directory))
            logError("[FILESYSTEM] Could not make %s: %s!", directory.c_str(), std::strerror(errno));
        ring_.setUsable(i, usable);
    }
}

void dvrFileSystem::restorePosition() {
    dvrDB_sqlite database(indexPath_);
    const auto& drives = ring_.drives();
    auto driveOf = [&](const std::string& letter) -> std::uint32_t {
        for (std::uint32_t i = 0; i < drives.size(); ++i)
            if (!letter.empty() && std::tolower(static_cast<unsigned char>(drives[i].letter)) ==
                                       std::tolower(static_cast<unsigned char>(letter[0])))
                return i;
        return 0;
    };
    bool found = false;
    dvrWritePosition position;
    database.run("SELECT phys_partition, phys_fn, phys_offset FROM Pointer WHERE type LIKE 'record_store'", {},
                 [&](sqlite3_stmt* statement) {
                     if (found)
                         return;
                     const unsigned char* letter = sqlite3_column_text(statement, 0);
                     position.drive = driveOf(letter ? reinterpret_cast<const char*>(letter) : "");
                     position.page = static_cast<std::uint32_t>(sqlite3_column_int64(statement, 1));
                     position.offset = static_cast<std::uint32_t>(sqlite3_column_int64(statement, 2));
                     found = true;
                 });
    if (!found) {
        // No pointer: resume behind the newest indexed record, never on top of it.
        database.run("SELECT phys_partition, phys_fn, phys_offset, bytes, flags FROM Datum ORDER BY id DESC LIMIT 1",
                     {}, [&](sqlite3_stmt* statement) {
                         const unsigned char* letter = sqlite3_column_text(statement, 0);
                         position.drive = driveOf(letter ? reinterpret_cast<const char*>(letter) : "");
                         position.page = static_cast<std::uint32_t>(sqlite3_column_int64(statement, 1));
                         const std::int64_t extension =
                             (sqlite3_column_int64(statement, 4) & dvrStoredRecord::extensionFlag)
                                 ? dvrStoredRecord::extensionSize
                                 : 0;
                         position.offset = static_cast<std::uint32_t>(sqlite3_column_int64(statement, 2) +
                                                                      dvrStoredRecord::headerSize + extension +
                                                                      sqlite3_column_int64(statement, 3));
                     });
    }
    ring_.setPosition(position);
    position = ring_.position();
    const std::string letter(1, ring_.letter());
    if (!found)
        database.run("INSERT INTO Pointer (id, type, phys_partition, phys_fn, phys_offset) VALUES (0, 'record_store', "
                     "?, ?, ?)",
                     {letter, std::int64_t{position.page}, std::int64_t{position.offset}});
    // Rows behind the write position would point at records the writer is about to replace.
    const std::vector<dvrDBValue> beyond{
        std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(letter[0])))),
        std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(letter[0])))),
        std::int64_t{position.page}, std::int64_t{position.offset}};
    database.run("DELETE FROM Datum WHERE phys_partition IN (?, ?) AND phys_fn = ? AND phys_offset >= ?", beyond);
    if (database.changes() > 0)
        logMessage("[FS] %d index rows behind the write position were dropped.", database.changes());
    startPosition_ = position;
}

void dvrFileSystem::start() {
    inserter_ = std::make_unique<dvrInserterThread>(indexPath_, readers_, storageStatementLock_,
                                                    [this] { return pages_.sync(); }, options_.inserter);
    deleter_ = std::make_unique<dvrDeleterThread>(indexPath_, readers_, storageStatementLock_, options_.clock,
                                                  [inserter = inserter_.get()] { inserter->flush(); });
    writer_ = std::make_unique<dvrFileThread>(
        dvrFileThread::Parts{queue_, ring_, pages_, *inserter_, *deleter_, recordingWatchdog_});
    deleter_->start();
    inserter_->start();
    writer_->start();
}

dvrFileSystem::~dvrFileSystem() {
    // The writer first (it stores what is queued and may wait for a release), then the deleter,
    // then the inserter, which commits the rows of everything stored.
    if (writer_)
        writer_->stop();
    if (deleter_)
        deleter_->stop();
    if (inserter_)
        inserter_->stop();
}

bool dvrFileSystem::addFrame(const dvrFrameRecord& record, const std::uint8_t* data, std::size_t size) {
    return queue_.add(record, data, size);
}

void dvrFileSystem::beginRead() { readers_.beginRead(); }
void dvrFileSystem::endRead() { readers_.endRead(); }

dvrFileSystem* dvrFileSystem::instance() { return theFileSystem.load(); }

bool dvrFileSystem::prepareIndex(const std::string& path, bool check) {
    makeDirectories(directoryOf(path));
    return dvrIndexSchema::prepare(path, check);
}

bool dvrFileSystem::create(const std::string& settingsDirectory, bool checkIndex) {
    if (instance())
        return true;
    Options options;
    options.checkIndex = checkIndex;
    owned() = open(settingsDirectory + "/" + dvrDriveTable::fileName, settingsDirectory, options);
    if (!owned())
        return false;
    theFileSystem = owned().get();
    dvrFrameSink::install(owned().get());
    return true;
}

void dvrFileSystem::destroy() {
    dvrFileSystem* fileSystem = theFileSystem.exchange(nullptr);
    if (fileSystem)
        dvrFrameSink::remove(fileSystem);
    owned().reset();
}
