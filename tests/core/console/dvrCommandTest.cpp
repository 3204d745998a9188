#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/dvrCommand.h"

namespace {

struct TokenizerCase {
    const char* line;
    const char* word;
    std::vector<std::string> arguments;
};

TEST(dvrCommandTest, TokenizerCases) {
    const TokenizerCase cases[] = {
        {"start", "start", {}},
        {"AddCard Network Network_1", "AddCard", {"Network", "Network_1"}},
        {"", "", {}},
        {" start", "", {"start"}},                              // a leading space leaves the word empty
        {"a  b", "a", {"", "b"}},                               // two spaces give an empty token
        {"a b ", "a", {"b", ""}},                               // a trailing space gives an empty last token
        {"a\tb c\r", "a\tb", {"c\r"}},                          // only the space separates
        {"set global global customer string Site A", "set", {"global", "global", "customer", "string", "Site A"}},
        {"SET camera c1 title string  two  spaces ", "SET", {"camera", "c1", "title", "string", " two  spaces "}},
        {"set a b c d", "set", {"a", "b", "c", "d"}},
        {"set a b c d ", "set", {"a", "b", "c", "d", ""}},
        {"addrulenode r 1 2 3 4 rest of the line", "addrulenode", {"r", "1", "2", "3", "4", "rest of the line"}},
        {"AddRuleNode r 1 2 3 4 x y", "AddRuleNode", {"r", "1", "2", "3", "4", "x y"}},
        // "run" and "savesettings" take the rest of the line as their path.
        {"run my settings.mrd", "run", {"my settings.mrd"}},
        {"SaveSettings /srv/site A/settings.mrd", "SaveSettings", {"/srv/site A/settings.mrd"}},
        {"savesettings out.mrd", "savesettings", {"out.mrd"}},
        {"Run  lead", "Run", {" lead"}},
        {"run", "run", {}},
        // Any other word keeps eight arguments, each split at every space.
        {"dome a b c d e f g h i j", "dome", {"a", "b", "c", "d", "e", "f", "g", "h"}},
        {"get global global customer string Site A", "get", {"global", "global", "customer", "string", "Site", "A"}},
    };
    for (const TokenizerCase& c : cases) {
        dvrCommand command = dvrCommand::parse(c.line);
        SCOPED_TRACE(c.line);
        EXPECT_TRUE(command.isValid());
        EXPECT_EQ(command.word(), c.word);
        ASSERT_EQ(command.argumentCount(), static_cast<int>(c.arguments.size()));
        for (std::size_t i = 0; i < c.arguments.size(); ++i)
            EXPECT_EQ(command.argument(i), c.arguments[i]) << "argument " << i;
        for (std::size_t i = c.arguments.size(); i < dvrCommand::maximumArguments + 2; ++i)
            EXPECT_EQ(command.argument(i), "");
    }
}

TEST(dvrCommandTest, FieldsAtTheirLimitsAreKept) {
    std::string word(31, 'w');
    std::string argument(511, 'a');
    dvrCommand command = dvrCommand::parse(word + " " + argument);
    EXPECT_TRUE(command.isValid());
    EXPECT_EQ(command.word(), word);
    EXPECT_EQ(command.argument(0), argument);

    dvrCommand value = dvrCommand::parse("set global global customer string " + argument);
    EXPECT_TRUE(value.isValid());
    EXPECT_EQ(value.argument(4), argument);
}

TEST(dvrCommandTest, OverlongFieldsRefuseTheWholeLine) {
    struct Case {
        std::string line;
        std::string named; // the refusal names the command
    } cases[] = {
        {"startcapturingnowandforeverpleasex", "startcapturingnowandforeverplea"},
        {"set global global customer string " + std::string(512, 'x'), "set"},
        {"addcard Network " + std::string(600, 'n'), "addcard"},
    };
    for (const Case& c : cases) {
        dvrCommand command = dvrCommand::parse(c.line);
        SCOPED_TRACE(c.line.substr(0, 40));
        EXPECT_FALSE(command.isValid());
        EXPECT_EQ(command.argumentCount(), 0);
        EXPECT_NE(command.problem().find(c.named), std::string::npos) << command.problem();
    }
    // An overlong word is never cut into a shorter, different command.
    dvrCommand longStart = dvrCommand::parse("start" + std::string(40, 'x'));
    EXPECT_FALSE(longStart.isValid());
}

TEST(dvrCommandTest, ArgumentsBeyondTheEighthAreIgnoredEvenWhenLong) {
    dvrCommand command = dvrCommand::parse("dome 1 2 3 4 5 6 7 8 " + std::string(2000, 'z'));
    EXPECT_TRUE(command.isValid());
    EXPECT_EQ(command.argumentCount(), 8);
}

} // namespace
