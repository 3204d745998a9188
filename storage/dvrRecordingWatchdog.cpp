#include "dvrRecordingWatchdog.h"

#include "console/dvrConsole.h"
#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingSet.h"

dvrRecordingWatchdog::dvrRecordingWatchdog(dvrStorageClock clock) : clock_(std::move(clock)), lastStored_(clock_()) {}

void dvrRecordingWatchdog::noteStored() { lastStored_ = clock_(); }

bool dvrRecordingWatchdog::due(bool enabled, int delayMinutes) {
    if (!enabled)
        return false;
    const std::int64_t now = clock_();
    if ((now - lastStored_) / 60 <= delayMinutes)
        return false;
    lastStored_ = now;
    return true;
}

void dvrRecordingWatchdog::check() {
    dvrSettingSet* settings = dvrGlobalSettings::instance();
    if (settings == nullptr || !due(settings->getInt("recordwd") != 0, settings->getInt("recordwddelay")))
        return;
    if (dvrConsole* console = dvrConsole::instance()) {
        console->post("stop");
        console->post("start");
    }
}
