#pragma once

#include <chrono>

#include "dvrRecorderCommand.h"
#include "dvrRestartLog.h"
#include "dvrWatchedProcess.h"
#include "watchdog/dvrPollFile.h"

// The watch over one recorder. The supervisor puts a marker into the poll file whenever it finds
// the file emptied; the recorder's watchdog thread empties it every cycle. "die" at the start of
// the file means an orderly shut-down: the supervisor ends. A file not emptied for the grace
// period means the recorder hangs or has died: the supervisor makes sure the old process is gone,
// starts the recorder again and ends (the new recorder starts its own supervisor).
class dvrRecorderSupervisor {
public:
    static constexpr std::chrono::milliseconds checkInterval{250};
    // How long a killed recorder may take to disappear before the new one is started anyway.
    static constexpr std::chrono::milliseconds killPatience{10000};

    dvrRecorderSupervisor(dvrWatchedProcess recorder, dvrRecorderCommand command, dvrPollFile pollFile,
                          std::chrono::seconds grace, dvrRestartLog log);

    // Returns the exit code of the program: 0 after an orderly shut-down or a restart, 1 when
    // the recorder could not be started again.
    int run();

private:
    bool restart(std::chrono::seconds silence);

    dvrWatchedProcess recorder_;
    dvrRecorderCommand command_;
    dvrPollFile pollFile_;
    std::chrono::seconds grace_;
    dvrRestartLog log_;
};
