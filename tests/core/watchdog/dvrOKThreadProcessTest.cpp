#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "dvrTemporaryDirectory.h"
#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingSet.h"
#include "watchdog/dvrOKThread.h"

namespace {

using namespace std::chrono_literals;

std::string contents(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The real clock, wait and kill, in a child process that plays the recorder.
class dvrOKThreadProcessTest : public ::testing::Test {
protected:
    ~dvrOKThreadProcessTest() override {
        if (child_ > 0) {
            kill(child_, SIGKILL);
            waitpid(child_, nullptr, 0);
        }
    }

    // Runs the body in a child with standard error going to a file; returns at once.
    template <typename Body> void runChild(Body body) {
        std::string errors = directory.file("stderr.txt");
        child_ = fork();
        ASSERT_GE(child_, 0);
        if (child_ == 0) {
            int file = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(file, STDERR_FILENO);
            body();
            _exit(0);
        }
    }

    int waitForChild() {
        int status = 0;
        waitpid(child_, &status, 0);
        child_ = -1;
        return status;
    }

    dvrTemporaryDirectory directory;
    pid_t child_ = -1;
};

TEST_F(dvrOKThreadProcessTest, ASilentModuleEndsTheProcessWithSigkillAndLeavesNoDie) {
    std::string poll = directory.file(dvrPollFile::fileName);
    runChild([&] {
        dvrSettingSet* settings = dvrGlobalSettings::create();
        dvrGlobalSettings::applyDefaults();
        settings->setInt("swwatchdog", 1);
        dvrOKThread::create(poll);
        dvrOKThread::instance()->registerModule(1, 1, "Cam 1");
        // Never reports; the watchdog must end this process long before the sleep does.
        std::this_thread::sleep_for(60s);
    });
    int status = waitForChild();
    ASSERT_TRUE(WIFSIGNALED(status)) << contents(directory.file("stderr.txt"));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    EXPECT_NE(contents(directory.file("stderr.txt"))
                  .find("Failure detected (module Cam 1)! Waiting for restart..."),
              std::string::npos);
    EXPECT_NE(dvrPollFile(poll).state(), dvrPollFile::State::die) << "a killed recorder leaves no die";
}

} // namespace
