#pragma once

#include <atomic>
#include <cstdint>

#include "dvrStorageClock.h"

// Restarts capturing when nothing has been stored for longer than "recordwddelay" minutes while
// "recordwd" is on: a camera or board that stopped delivering gets a fresh start.
class dvrRecordingWatchdog {
public:
    explicit dvrRecordingWatchdog(dvrStorageClock clock);

    // A frame was stored now.
    void noteStored();
    // True when capturing should be restarted: more whole minutes than delayMinutes have passed
    // since the last stored frame (or the last restart). The count then starts again.
    bool due(bool enabled, int delayMinutes);
    // due() with the global settings; posts "stop" and "start" to the console when due.
    void check();

private:
    dvrStorageClock clock_;
    std::atomic<std::int64_t> lastStored_;
};
