#include "watchdog/dvrOKThread.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <system_error>
#include <utility>

#include "log/dvrLog.h"
#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingLines.h"
#include "settings/dvrSettingSet.h"

namespace {

std::atomic<dvrOKThread*> theWatchdog{nullptr};

int globalInt(const char* key, int fallback) {
    dvrSettingSet* settings = dvrGlobalSettings::instance();
    return settings ? settings->getInt(key) : fallback;
}

} // namespace

dvrOKThread* dvrOKThread::instance() {
    return theWatchdog.load();
}

dvrOKThread* dvrOKThread::create(std::string pollFilePath,
                                 std::unique_ptr<dvrWatchdogEnvironment> environment) {
    if (!theWatchdog.load()) {
        auto* watchdog = new dvrOKThread(std::move(pollFilePath), std::move(environment));
        watchdog->start();
        theWatchdog.store(watchdog);
    }
    return theWatchdog.load();
}

void dvrOKThread::destroy() {
    removeSettingReactions();
    delete theWatchdog.exchange(nullptr);
}

void dvrOKThread::installSettingReactions() {
    dvrSettingLines::setGlobalReaction("autoreboot", [](int value) {
        if (dvrOKThread* watchdog = instance())
            watchdog->setAutomaticReboot(value == 1, globalInt("autorebootdelay", minimumRebootDays));
    });
    dvrSettingLines::setGlobalReaction("autorebootdelay", [](int value) {
        dvrOKThread* watchdog = instance();
        if (watchdog && globalInt("autoreboot", 0) == 1)
            watchdog->setAutomaticReboot(true, value);
    });
}

void dvrOKThread::removeSettingReactions() {
    dvrSettingLines::setGlobalReaction("autoreboot", nullptr);
    dvrSettingLines::setGlobalReaction("autorebootdelay", nullptr);
}

int dvrOKThread::clampedRebootDays(int days) {
    return std::clamp(days, minimumRebootDays, maximumRebootDays);
}

dvrOKThread::dvrOKThread(std::string pollFilePath, std::unique_ptr<dvrWatchdogEnvironment> environment)
    : pollFile_(std::move(pollFilePath)),
      environment_(environment ? std::move(environment) : std::make_unique<dvrWatchdogEnvironment>()) {}

dvrOKThread::~dvrOKThread() {
    stop();
}

void dvrOKThread::start() {
    std::lock_guard<std::mutex> guard(threadLock_);
    if (!thread_.joinable())
        thread_ = std::jthread([this](std::stop_token stop) { run(stop); });
}

void dvrOKThread::stop() {
    std::lock_guard<std::mutex> guard(threadLock_);
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
}

void dvrOKThread::markShutDown() {
    std::lock_guard<std::mutex> guard(pollFileLock_);
    shutDownMarked_ = true;
    if (!pollFile_.writeDie())
        logError("[WATCHDOG] Cannot write \"die\" into the poll file %s\n", pollFile_.path().c_str());
}

void dvrOKThread::registerModule(Module module, int timeOutSeconds, std::string_view name) {
    modules_.add(module, std::chrono::seconds(timeOutSeconds), name, environment_->now());
}

void dvrOKThread::reportAlive(Module module) {
    modules_.reportAlive(module, environment_->now());
}

void dvrOKThread::unregisterModule(Module module) {
    modules_.remove(module);
}

void dvrOKThread::setAutomaticReboot(bool on, int days) {
    unregisterModule(automaticRebootModule);
    // Clamped before multiplying, so no value of the setting can overflow the time-out.
    if (on)
        registerModule(automaticRebootModule, clampedRebootDays(days) * secondsPerDay, automaticRebootName);
}

void dvrOKThread::run(std::stop_token stop) {
    while (!stop.stop_requested()) {
        runCycle(stop);
        if (!environment_->wait(cycleInterval, stop))
            break;
    }
    markShutDown();
}

void dvrOKThread::runCycle(std::stop_token stop) {
    std::optional<std::string> failed = modules_.lastFailed(environment_->now());
    // With "swwatchdog" off (or no settings yet) the watchdog is off: a silent module must not
    // make the external program restart the recorder either, so the file is still emptied.
    if (failed && softwareWatchdogOn()) {
        logWarning("Failure detected (module %s)! Waiting for restart...\n", failed->c_str());
        if (environment_->wait(killDelay, stop))
            environment_->killOwnProcess();
        return;
    }
    emptyPollFile();
}

void dvrOKThread::emptyPollFile() {
    bool emptied = true;
    int error = 0;
    {
        std::lock_guard<std::mutex> guard(pollFileLock_);
        if (shutDownMarked_)
            return;
        emptied = pollFile_.empty();
        error = errno;
    }
    // Once is enough: the same problem would otherwise fill the log every cycle.
    if (!emptied && !pollFileProblemReported_) {
        logError("[WATCHDOG] Cannot empty the poll file %s: %s\n", pollFile_.path().c_str(),
                 std::error_code(error, std::generic_category()).message().c_str());
        pollFileProblemReported_ = true;
    } else if (emptied) {
        pollFileProblemReported_ = false;
    }
}

bool dvrOKThread::softwareWatchdogOn() {
    return globalInt("swwatchdog", 0) != 0;
}
