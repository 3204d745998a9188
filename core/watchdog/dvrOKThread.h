#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>

#include "watchdog/dvrPollFile.h"
#include "watchdog/dvrWatchdogEnvironment.h"
#include "watchdog/dvrWatchdogModuleTable.h"

// The software watchdog. Long-running worker threads register with a time-out and report while
// they work. Every cycle the watchdog thread empties the poll file, which tells the external
// program (mirdal-watchdog) that the recorder lives. When a module stays silent past its
// time-out and the global setting "swwatchdog" is on, it logs the failure and kills the own
// process, so the external program starts the recorder again.
class dvrOKThread {
public:
    using Module = dvrWatchdogModuleTable::Module;

    static constexpr std::chrono::milliseconds cycleInterval{900};
    static constexpr std::chrono::milliseconds killDelay{5000};
    // The automatic restart is a pseudo-module that never reports.
    static constexpr Module automaticRebootModule = 31399;
    static constexpr const char* automaticRebootName = "Automatic reboot!";
    static constexpr int minimumRebootDays = 3;
    static constexpr int maximumRebootDays = 30;
    static constexpr int secondsPerDay = 86400;

    // The process-wide watchdog: null before create and after destroy.
    static dvrOKThread* instance();
    // Creates the process-wide watchdog and starts its thread; an existing one is kept. Without
    // an environment it uses the monotonic clock and really kills the process.
    static dvrOKThread* create(std::string pollFilePath,
                               std::unique_ptr<dvrWatchdogEnvironment> environment = {});
    // Removes the setting reactions, then stops the thread (which leaves "die" in the poll file)
    // and deletes the watchdog.
    static void destroy();

    // Reactions to the global keys "autoreboot" and "autorebootdelay"; they act on instance().
    // Call once the watchdog exists; destroy removes them.
    static void installSettingReactions();
    static void removeSettingReactions();

    // The module identity of an object (a thread's own object).
    static Module moduleOf(const void* owner) { return reinterpret_cast<Module>(owner); }
    // Days of the automatic restart, limited to the range the setting offers.
    static int clampedRebootDays(int days);

    dvrOKThread(std::string pollFilePath, std::unique_ptr<dvrWatchdogEnvironment> environment);
    // Stops the thread.
    ~dvrOKThread();
    dvrOKThread(const dvrOKThread&) = delete;
    dvrOKThread& operator=(const dvrOKThread&) = delete;

    // Starts the watchdog thread; the first cycle runs at once. Only the first call counts.
    void start();
    // Wakes the thread at once and waits for its end; the thread writes "die" as it ends.
    void stop();
    // First step of the shut-down: writes "die" into the poll file. From then on the thread
    // never empties the file again, so the external program is sure not to restart anything.
    // A module that fails during the shut-down still ends the process.
    void markShutDown();

    void registerModule(Module module, int timeOutSeconds, std::string_view name);
    // Unknown modules are ignored.
    void reportAlive(Module module);
    // Removes the first entry of the module.
    void unregisterModule(Module module);
    // Removes the automatic-restart pseudo-module; when on, adds it again with the days
    // (clamped to their range) as its time-out, counted from now.
    void setAutomaticReboot(bool on, int days);

    const dvrPollFile& pollFile() const { return pollFile_; }

private:
    void run(std::stop_token stop);
    void runCycle(std::stop_token stop);
    void emptyPollFile();
    static bool softwareWatchdogOn();

    dvrPollFile pollFile_;
    std::unique_ptr<dvrWatchdogEnvironment> environment_;
    dvrWatchdogModuleTable modules_;

    // Orders emptying against "die": once "die" is written the file is never emptied again.
    std::mutex pollFileLock_;
    bool shutDownMarked_ = false;
    // Touched by the watchdog thread only.
    bool pollFileProblemReported_ = false;

    std::mutex threadLock_;
    std::jthread thread_;
};
