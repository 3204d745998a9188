#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "capture/dvrFrameSink.h"
#include "dvrDeleterThread.h"
#include "dvrDriveRing.h"
#include "dvrFileThread.h"
#include "dvrFrameQueue.h"
#include "dvrInserterThread.h"
#include "dvrPageWriter.h"
#include "dvrReaderCount.h"
#include "dvrRecordingWatchdog.h"
#include "dvrStorageClock.h"

// The recording store: the drives of "mirdal.drv", the page files on them, the write position
// and the index database, filled by the writer, inserter and deleter threads from the frames
// capture threads hand to addFrame.
class dvrFileSystem : public dvrFrameSink {
public:
    struct Options {
        // Only tests use smaller page files.
        std::uint64_t pageFileSize = dvrDriveRing::pageFileSize;
        dvrInserterThread::Options inserter;
        dvrStorageClock clock = dvrSystemClock();
        // Runs SQLite's quick check on an existing index (a damaged one is moved aside).
        bool checkIndex = true;
    };

    // Reads the drive description, prepares the drives and the index, restores the write
    // position and starts the threads. Null (passive mode, logged) when the description is
    // missing or unusable.
    static std::unique_ptr<dvrFileSystem> open(const std::string& driveFilePath, const std::string& settingsDirectory,
                                               Options options);
    static std::unique_ptr<dvrFileSystem> open(const std::string& driveFilePath, const std::string& settingsDirectory);

    // The process-wide store, null before create and after destroy (and in passive mode).
    static dvrFileSystem* instance();
    // Opens the store of the settings directory and installs it as the frame sink; false in
    // passive mode.
    static bool create(const std::string& settingsDirectory, bool checkIndex = true);
    // Makes the index's directory and a usable index file at path (see dvrIndexSchema).
    static bool prepareIndex(const std::string& path, bool check = true);
    static void destroy();

    // Stores every queued frame, commits every queued row, then ends the threads.
    ~dvrFileSystem() override;

    bool addFrame(const dvrFrameRecord& record, const std::uint8_t* data, std::size_t size) override;
    // Playback counts itself in around its index queries.
    void beginRead();
    void endRead();

    const std::string& indexPath() const { return indexPath_; }
    const std::vector<dvrDrive>& drives() const { return ring_.drives(); }
    // The position restored at start (the writer owns it afterwards).
    dvrWritePosition startPosition() const { return startPosition_; }
    std::uint64_t storedFrames() const { return writer_->storedFrames(); }
    std::uint64_t lostFrames() const { return writer_->lostFrames(); }
    std::size_t queuedFrames() const { return queue_.count(); }

private:
    dvrFileSystem(std::vector<dvrDrive> drives, std::string indexPath, Options options);
    void checkDrives();
    void restorePosition();
    void start();

    Options options_;
    std::string indexPath_;
    dvrDriveRing ring_;
    dvrWritePosition startPosition_;
    dvrFrameQueue queue_;
    dvrReaderCount readers_;
    std::mutex storageStatementLock_;
    dvrPageWriter pages_;
    dvrRecordingWatchdog recordingWatchdog_;
    std::unique_ptr<dvrDeleterThread> deleter_;
    std::unique_ptr<dvrInserterThread> inserter_;
    std::unique_ptr<dvrFileThread> writer_;
};
