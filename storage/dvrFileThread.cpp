#include "dvrFileThread.h"

#include <cstring>

#include "capture/dvrFrameRecord.h"
#include "dvrDeleterThread.h"
#include "dvrDriveRing.h"
#include "dvrFrameQueue.h"
#include "dvrInserterThread.h"
#include "dvrPageWriter.h"
#include "dvrRecordingWatchdog.h"
#include "dvrStoredRecord.h"
#include "log/dvrLog.h"
#include "log/dvrMemory.h"
#include "watchdog/dvrOKThread.h"

namespace {

bool samePage(const dvrWritePosition& a, const dvrWritePosition& b) { return a.drive == b.drive && a.page == b.page; }

constexpr std::chrono::milliseconds idleWait{100};

} // namespace

dvrFileThread::dvrFileThread(Parts parts) : parts_(parts) {}

dvrFileThread::~dvrFileThread() { stop(); }

void dvrFileThread::start() {
    if (thread_.joinable())
        return;
    buffer_ = static_cast<std::uint8_t*>(mustAlloc("DVR_MAX_COMPRESSED_SIZE", dvrFrameQueue::bufferSize));
    thread_ = std::thread([this] { run(); });
}

void dvrFileThread::stop() {
    stopping_ = true;
    parts_.queue.wake();
    if (thread_.joinable())
        thread_.join();
    release("DVR_MAX_COMPRESSED_SIZE", buffer_);
    buffer_ = nullptr;
}

void dvrFileThread::run() {
    dvrOKThread* watchdog = dvrOKThread::instance();
    const auto module = dvrOKThread::moduleOf(this);
    if (watchdog)
        watchdog->registerModule(module, watchdogTimeOutSeconds, "file system");
    // A page file that holds records already was entered before the restart; only the next one
    // needs releasing. An empty position starts a fresh page file.
    if (parts_.ring.position().offset > 0) {
        pageEntered_ = true;
        if (nearPageEnd())
            releaseAhead();
    }
    dvrFrameRecord record;
    auto lastReport = std::chrono::steady_clock::time_point{};
    while (true) {
        // Once a second is plenty for a time-out of 200 s, and keeps the watchdog's lock off
        // the path of every frame.
        const auto now = std::chrono::steady_clock::now();
        if (watchdog && now - lastReport >= std::chrono::seconds(1)) {
            watchdog->reportAlive(module);
            lastReport = now;
        }
        std::size_t size = 0;
        if (parts_.queue.take(record, buffer_, size)) {
            store(record, size);
            continue;
        }
        if (stopping_)
            break;
        parts_.queue.waitForFrame(idleWait);
        parts_.recordingWatchdog.check();
    }
    parts_.pages.close();
    if (watchdog)
        watchdog->unregisterModule(module);
}

void dvrFileThread::releaseAhead() {
    dvrWritePosition next;
    const dvrWritePosition& current = parts_.ring.position();
    if (!parts_.ring.following(current, next) || samePage(next, current)) {
        releasedAhead_.reset();
        return;
    }
    if (releasedAhead_ && samePage(*releasedAhead_, next))
        return;
    releaseAheadRequest_ = parts_.deleter.queueRelease(parts_.ring.letterOf(next), next.page);
    releasedAhead_ = next;
}

void dvrFileThread::enterPage() {
    const dvrWritePosition& current = parts_.ring.position();
    std::uint64_t request;
    if (releasedAhead_ && samePage(*releasedAhead_, current))
        request = releaseAheadRequest_;
    else
        request = parts_.deleter.queueRelease(parts_.ring.letter(), current.page);
    parts_.deleter.waitDone(request);
    pageEntered_ = true;
    releasedAhead_.reset();
}

bool dvrFileThread::nearPageEnd() const {
    // The next page file's rows go while the last eighth of this one fills: long enough ahead for
    // the deleter, late enough that they stay playable almost to the end.
    return parts_.ring.position().offset >= parts_.ring.recordEndLimit() / 8 * 7;
}

void dvrFileThread::noteFailure(const char* what, int error) {
    ++lost_;
    if (!failing_) {
        logError("[FILESYSTEM] Could not %s %s: %s! Frames are lost until it works again.", what,
                 parts_.ring.pagePath().c_str(), std::strerror(error));
        failing_ = true;
    }
    if (++failuresInRow_ < failuresBeforeMovingOn)
        return;
    failuresInRow_ = 0;
    const char from = parts_.ring.letter();
    if (parts_.ring.nextDrive()) {
        logError("[FILESYSTEM] Drive %c cannot be written; recording moves on to drive %c.", from,
                 parts_.ring.letter());
        pageEntered_ = false;
    }
}

void dvrFileThread::store(const dvrFrameRecord& taken, std::size_t size) {
    dvrDriveRing& ring = parts_.ring;
    if (!ring.anyUsable()) {
        ++lost_;
        if (!nothingUsableReported_)
            logError("[FILESYSTEM] No recording drive can be used; nothing is recorded.");
        nothingUsableReported_ = true;
        return;
    }
    const std::uint32_t recordLength = static_cast<std::uint32_t>(dvrStoredRecord::prefixSize + size);
    if (!ring.isUsable(ring.position().drive)) {
        if (!ring.nextDrive())
            return;
        pageEntered_ = false;
    }
    if (!ring.fits(recordLength)) {
        ring.nextPage();
        pageEntered_ = false;
    }
    if (!pageEntered_) {
        enterPage();
        pageOpen_ = false;
    }
    if (!pageOpen_) {
        if (!parts_.pages.use(ring.pagePath())) {
            noteFailure("open", parts_.pages.lastError());
            return;
        }
        pageOpen_ = true;
    }
    dvrFrameRecord record = taken;
    // The data length decides; a header that says otherwise would make the record unreadable.
    record.compressedSize = static_cast<std::uint32_t>(size);
    const auto prefix = dvrStoredRecord::pack(record);
    const std::uint32_t offset = ring.position().offset;
    if (parts_.pages.write(prefix.data(), prefix.size(), buffer_, size, offset) != recordLength) {
        // Nothing is indexed and the position stays: the next frame writes over the remains.
        pageOpen_ = false;
        noteFailure("write", parts_.pages.lastError());
        return;
    }
    if (failing_) {
        logMessage("[FILESYSTEM] Recording to %s goes on.", ring.pagePath().c_str());
        failing_ = false;
    }
    failuresInRow_ = 0;
    dvrIndexRow row;
    row.time = record.seconds;
    row.milliseconds = static_cast<std::int32_t>(record.milliseconds % 1000);
    row.bytes = record.compressedSize;
    row.flags = record.keyFrame | dvrStoredRecord::extensionFlag;
    row.codec = record.codeText();
    row.device = static_cast<std::int32_t>(record.boardId);
    row.input = static_cast<std::int32_t>(record.input);
    row.partition = std::string(1, ring.letter());
    row.page = ring.position().page;
    row.offset = offset;
    ring.advance(recordLength);
    parts_.inserter.queueRow(row, ring.position().offset);
    parts_.recordingWatchdog.noteStored();
    ++stored_;
    if (!releasedAhead_ && nearPageEnd())
        releaseAhead();
}
