#pragma once

#include <gtest/gtest.h>

#include "dvrApplication.h"
#include "dvrCapturedLog.h"
#include "dvrTemporaryDirectory.h"

// A recorder started in the test process, in a directory of its own: the test collects the log
// itself, and no watchdog program starts.
class dvrInProcessRecorderTest : public ::testing::Test {
protected:
    dvrApplication::Options inProcess() const {
        dvrApplication::Options options;
        options.lockDirectory = directory.path();
        options.openLog = false;
        options.startWatchdogProgram = false;
        return options;
    }

    dvrTemporaryDirectory directory;
    dvrWorkingDirectory inDirectory{directory.path()};
    dvrCapturedLog log;
};
