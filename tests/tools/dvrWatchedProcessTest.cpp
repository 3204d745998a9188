#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "dvrWatchedProcess.h"

namespace {

TEST(dvrWatchedProcessTest, ReadsStateAndStartTimeBehindAnyProcessName) {
    const struct {
        const char* what;
        std::string stat;
        bool parsed;
        unsigned long long startTime;
        bool ended;
    } cases[] = {
        {"running", "42 (mirdal) S 1 42 42 0 -1 4194560 100 0 0 0 5 3 0 0 20 0 4 0 123456 1000 200", true,
         123456, false},
        {"zombie", "42 (mirdal) Z 1 42 42 0 -1 4194560 100 0 0 0 5 3 0 0 20 0 4 0 99 0 0", true, 99, true},
        {"name with blanks and parentheses",
         "42 (a) b (c) R 1 42 42 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 777 1 1\n", true, 777, false},
        {"cut short", "42 (mirdal) S 1 42", false, 0, false},
        {"no name", "42 mirdal S", false, 0, false},
        {"start time not a number", "42 (m) S 1 42 42 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 12x 1 1", false, 0,
         false},
    };
    for (const auto& c : cases) {
        unsigned long long startTime = 0;
        bool ended = false;
        ASSERT_EQ(dvrWatchedProcess::parseStat(c.stat, startTime, ended), c.parsed) << c.what;
        if (c.parsed) {
            EXPECT_EQ(startTime, c.startTime) << c.what;
            EXPECT_EQ(ended, c.ended) << c.what;
        }
    }
}

TEST(dvrWatchedProcessTest, KillAndWaitEndsAChildThatIsStillAZombie) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        pause();
        _exit(0);
    }
    dvrWatchedProcess child;
    ASSERT_TRUE(dvrWatchedProcess::ofProcess(pid, child));
    EXPECT_TRUE(child.isRunning());
    // Not reaped yet: a zombie has ended all the same.
    EXPECT_TRUE(child.killAndWait(std::chrono::seconds(30)));
    EXPECT_FALSE(child.isRunning());
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_FALSE(dvrWatchedProcess::ofProcess(pid, child));
}

} // namespace
