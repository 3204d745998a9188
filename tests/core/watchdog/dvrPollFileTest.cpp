#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "dvrTemporaryDirectory.h"
#include "watchdog/dvrPollFile.h"

namespace {

using State = dvrPollFile::State;

class dvrPollFileTest : public ::testing::Test {
protected:
    std::string contents(const std::string& name) const {
        std::ifstream in(directory.file(name), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    dvrTemporaryDirectory directory;
    dvrPollFile poll{directory.file(dvrPollFile::fileName)};
};

TEST_F(dvrPollFileTest, StateOfTheContents) {
    const struct {
        const char* what;
        std::string contents;
        State state;
    } cases[] = {
        {"emptied", "", State::empty},
        {"orderly exit", "die", State::die},
        {"marker appended after die", std::string("die") + dvrPollFile::markerText, State::die},
        {"marker", dvrPollFile::markerText, State::notEmptied},
        {"too short for die", "di", State::notEmptied},
        {"die later in the file", "xdie", State::notEmptied},
        {"large", std::string(1 << 20, 'x'), State::notEmptied},
    };
    for (const auto& c : cases) {
        directory.write(dvrPollFile::fileName, c.contents);
        EXPECT_EQ(poll.state(), c.state) << c.what;
    }
}

TEST_F(dvrPollFileTest, MissingFileAndDirectoryInItsPlace) {
    EXPECT_EQ(poll.state(), State::missing);
    std::filesystem::create_directory(poll.path());
    EXPECT_EQ(poll.state(), State::notEmptied);
    EXPECT_FALSE(poll.empty());
}

TEST_F(dvrPollFileTest, WritesKeepTheProtocol) {
    ASSERT_TRUE(poll.appendMarker());
    EXPECT_EQ(contents(dvrPollFile::fileName), dvrPollFile::markerText)
        << "the program creates a missing file";
    ASSERT_TRUE(poll.empty());
    EXPECT_EQ(poll.state(), State::empty);
    ASSERT_TRUE(poll.writeDie());
    ASSERT_TRUE(poll.appendMarker());
    EXPECT_EQ(poll.state(), State::die) << "a marker never hides an earlier die";
    ASSERT_TRUE(poll.writeDie());
    EXPECT_EQ(contents(dvrPollFile::fileName), "die");
}

TEST_F(dvrPollFileTest, ASymbolicLinkIsNotFollowed) {
    directory.write("other", "keep me");
    std::filesystem::create_symlink(directory.file("other"), poll.path());
    EXPECT_FALSE(poll.empty());
    EXPECT_FALSE(poll.writeDie());
    EXPECT_EQ(contents("other"), "keep me");
}

} // namespace
