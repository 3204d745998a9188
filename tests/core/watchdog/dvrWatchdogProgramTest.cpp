#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>

#include "dvrCapturedLog.h"
#include "dvrTemporaryDirectory.h"
#include "watchdog/dvrWatchdogProgram.h"

namespace {

using namespace std::chrono_literals;

// A stand-in for mirdal-watchdog that reports how it was started and ends.
const char* reportingProgram = R"script(#!/bin/sh
{
    echo "parent $PPID"
    echo "arguments $#"
    echo "directory $(pwd -P)"
    echo "input $(readlink /proc/$$/fd/0)"
    [ -e /proc/$$/fd/50 ] && echo "inherited descriptor 50"
} > report.tmp
mv report.tmp report
)script";

class dvrWatchdogProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(directory.file("bin"));
        directory.write(std::string("bin/") + dvrWatchdogProgram::programName, reportingProgram);
        std::filesystem::permissions(program(), std::filesystem::perms::owner_all);
    }

    std::string program() const {
        return directory.file(std::string("bin/") + dvrWatchdogProgram::programName);
    }

    std::string report() const {
        std::ifstream in(directory.file("report"));
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    dvrTemporaryDirectory directory;
    dvrCapturedLog log;
};

TEST_F(dvrWatchdogProgramTest, FindTakesTheFirstDirectoryThatHoldsTheProgram) {
    EXPECT_EQ(dvrWatchdogProgram::find({"", directory.path(), directory.file("bin"), "/"}), program());
    EXPECT_EQ(dvrWatchdogProgram::find({directory.path(), "/nonexistent"}), "");
}

TEST_F(dvrWatchdogProgramTest, StartsAsAChildWithoutArgumentsOrInheritedDescriptors) {
    dvrWorkingDirectory inDirectory(directory.path());
    // Like a lock file opened without close-on-exec.
    int leaking = open("/dev/null", O_RDONLY);
    ASSERT_GE(leaking, 0);
    ASSERT_EQ(dup2(leaking, 50), 50);
    close(leaking);

    dvrWatchdogProgram watchdog;
    ASSERT_TRUE(watchdog.start(program())) << log.all();
    close(50);
    std::string text;
    for (auto waited = 0ms; waited < 60s && (text = report()).empty(); waited += 20ms)
        std::this_thread::sleep_for(20ms);
    EXPECT_NE(text.find("parent " + std::to_string(getpid()) + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("arguments 0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("directory " + std::filesystem::canonical(directory.path()).string() + "\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("input /dev/null\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("inherited"), std::string::npos) << text;

    bool ended = false;
    for (auto waited = 0ms; waited < 60s && !(ended = watchdog.reap()); waited += 20ms)
        std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(ended);
    EXPECT_EQ(watchdog.pid(), -1);
}

TEST_F(dvrWatchdogProgramTest, AProgramThatCannotBeStartedIsLogged) {
    dvrWatchdogProgram watchdog;
    EXPECT_FALSE(watchdog.start(directory.file("missing")));
    EXPECT_TRUE(log.contains("Cannot start")) << log.all();
    EXPECT_TRUE(watchdog.reap());
}

} // namespace
