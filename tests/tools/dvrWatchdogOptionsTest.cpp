#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dvrWatchdogOptions.h"

namespace {

TEST(dvrWatchdogOptionsTest, ParsesOrRefusesTheCommandLine) {
    const struct {
        std::vector<const char*> arguments;
        bool accepted;
        int graceSeconds;
        std::string pollFile;
    } cases[] = {
        {{}, true, 30, "__poll"},
        {{"--grace-seconds", "2", "--poll-file", "/run/x/__poll"}, true, 2, "/run/x/__poll"},
        {{"--grace-seconds", "86400"}, true, 86400, "__poll"},
        {{"--grace-seconds", "0"}, false, 0, ""},
        {{"--grace-seconds", "86401"}, false, 0, ""},
        {{"--grace-seconds", "-3"}, false, 0, ""},
        {{"--grace-seconds", "5s"}, false, 0, ""},
        {{"--grace-seconds", "99999999999"}, false, 0, ""},
        {{"--grace-seconds"}, false, 0, ""},
        {{"--poll-file", ""}, false, 0, ""},
        {{"--bogus"}, false, 0, ""},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv{"mirdal-watchdog"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        dvrWatchdogOptions options;
        std::string problem;
        std::string line;
        for (const char* argument : c.arguments)
            line += std::string(argument) + " ";
        ASSERT_EQ(options.parse(static_cast<int>(argv.size()), argv.data(), problem), c.accepted) << line;
        if (c.accepted) {
            EXPECT_EQ(options.graceSeconds, c.graceSeconds) << line;
            EXPECT_EQ(options.pollFile, c.pollFile) << line;
        } else {
            EXPECT_FALSE(problem.empty()) << line;
        }
    }
}

TEST(dvrWatchdogOptionsTest, APathLongerThanTheLimitIsRefused) {
    std::string longPath(dvrWatchdogOptions::maximumPathLength + 1, 'p');
    const char* argv[] = {"mirdal-watchdog", "--log-file", longPath.c_str()};
    dvrWatchdogOptions options;
    std::string problem;
    EXPECT_FALSE(options.parse(3, argv, problem));
}

} // namespace
