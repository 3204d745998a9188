#include "dvrRecorderSupervisor.h"

#include <thread>
#include <utility>

#include "dvrDetachedLauncher.h"

dvrRecorderSupervisor::dvrRecorderSupervisor(dvrWatchedProcess recorder, dvrRecorderCommand command,
                                             dvrPollFile pollFile, std::chrono::seconds grace,
                                             dvrRestartLog log)
    : recorder_(recorder), command_(std::move(command)), pollFile_(std::move(pollFile)), grace_(grace),
      log_(std::move(log)) {}

int dvrRecorderSupervisor::run() {
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastEmptied = Clock::now();
    // A "die" found before the recorder has emptied the file once is left over from the last
    // run: the new recorder's watchdog thread may not have had its first cycle yet.
    bool seenEmptied = false;
    while (true) {
        dvrPollFile::State state = pollFile_.state();
        if (state == dvrPollFile::State::die && (seenEmptied || !recorder_.isRunning())) {
            log_.write("The recorder (process " + std::to_string(recorder_.pid()) +
                       ") shut down; watch ended.");
            return 0;
        }
        bool running = recorder_.isRunning();
        // The recorder's directory or poll file is gone with the recorder: nothing to restart.
        if (state == dvrPollFile::State::missing && !running) {
            log_.write("The recorder (process " + std::to_string(recorder_.pid()) + ") and " + pollFile_.path() +
                       " are gone; watch ended.");
            return 0;
        }
        Clock::time_point now = Clock::now();
        // A recorder that ended without "die" crashed or was killed: no need to wait any longer.
        if (!running && state != dvrPollFile::State::die)
            return restart(std::chrono::duration_cast<std::chrono::seconds>(now - lastEmptied)) ? 0 : 1;
        if (state == dvrPollFile::State::empty) {
            seenEmptied = true;
            lastEmptied = now;
            pollFile_.appendMarker();
        } else {
            if (state == dvrPollFile::State::missing)
                pollFile_.appendMarker();
            if (now - lastEmptied >= grace_)
                return restart(std::chrono::duration_cast<std::chrono::seconds>(now - lastEmptied)) ? 0 : 1;
        }
        std::this_thread::sleep_for(checkInterval);
    }
}

bool dvrRecorderSupervisor::restart(std::chrono::seconds silence) {
    if (recorder_.isRunning())
        log_.write("The recorder (process " + std::to_string(recorder_.pid()) + ") has not emptied " +
                   pollFile_.path() + " for " + std::to_string(silence.count()) + " s; restarting it.");
    else
        log_.write("The recorder (process " + std::to_string(recorder_.pid()) + ") ended without \"die\" in " +
                   pollFile_.path() + "; restarting it.");
    if (recorder_.isRunning()) {
        log_.write("Killing the old recorder (process " + std::to_string(recorder_.pid()) + ").");
        if (!recorder_.killAndWait(killPatience))
            log_.write("The old recorder has not ended yet; starting the new one anyway.");
    }
    std::string problem;
    pid_t started = dvrDetachedLauncher::launch(command_, problem);
    if (started < 0) {
        log_.write("Cannot start " + command_.description() + ": " + problem);
        return false;
    }
    log_.write("Started " + command_.description() + " as process " + std::to_string(started) + ".");
    return true;
}
