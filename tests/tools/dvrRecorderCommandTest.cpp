#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "dvrRecorderCommand.h"

namespace {

using namespace std::string_literals;
using Arguments = std::vector<std::string>;

TEST(dvrRecorderCommandTest, SplitsTheCommandLineIntoExactArguments) {
    const struct {
        const char* what;
        std::string bytes;
        bool accepted;
        Arguments arguments;
    } cases[] = {
        {"program only", "mirdal\0"s, true, {"mirdal"}},
        {"option", "/opt/mirdal\0--headless\0"s, true, {"/opt/mirdal", "--headless"}},
        {"blanks and empty argument kept", "sh\0two words\0\0x\0"s, true, {"sh", "two words", "", "x"}},
        {"rewritten without the last NUL", "mirdal\0--headless"s, true, {"mirdal", "--headless"}},
        {"empty", "", false, {}},
        {"too long", std::string(dvrRecorderCommand::maximumCommandLineLength + 1, 'a'), false, {}},
        {"too many arguments",
         [] {
             std::string many;
             for (std::size_t i = 0; i <= dvrRecorderCommand::maximumArgumentCount; ++i)
                 many += "a"s + '\0';
             return many;
         }(),
         false,
         {}},
    };
    for (const auto& c : cases) {
        Arguments arguments{"untouched"};
        std::string problem;
        EXPECT_EQ(dvrRecorderCommand::splitCommandLine(c.bytes, arguments, problem), c.accepted) << c.what;
        if (c.accepted)
            EXPECT_EQ(arguments, c.arguments) << c.what;
        else
            EXPECT_FALSE(problem.empty()) << c.what;
    }
}

TEST(dvrRecorderCommandTest, ReadsTheOwnProcess) {
    dvrRecorderCommand command;
    std::string problem;
    ASSERT_TRUE(dvrRecorderCommand::ofProcess(getpid(), command, problem)) << problem;
    EXPECT_EQ(command.executable(), std::filesystem::read_symlink("/proc/self/exe").string());
    EXPECT_EQ(command.workingDirectory(), std::filesystem::current_path().string());
    ASSERT_FALSE(command.arguments().empty());
    EXPECT_NE(command.arguments()[0].find("tools_watchdog_test"), std::string::npos);
}

TEST(dvrRecorderCommandTest, AProcessThatIsGoneCannotBeRead) {
    dvrRecorderCommand command;
    std::string problem;
    EXPECT_FALSE(dvrRecorderCommand::ofProcess(0x3fffffff, command, problem));
    EXPECT_FALSE(problem.empty());
}

} // namespace
