#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "console/dvrConsole.h"
#include "dvrCapturedLog.h"
#include "dvrTemporaryDirectory.h"

namespace {

class dvrConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        console = dvrConsole::create();
        console->addCommand("Record", 0, [this](const dvrCommand& command) {
            std::lock_guard<std::mutex> guard(lock);
            recorded.push_back(command.argument(0));
            return 1;
        });
    }
    void TearDown() override { dvrConsole::destroy(); }

    std::vector<std::string> calls() {
        std::lock_guard<std::mutex> guard(lock);
        return recorded;
    }

    dvrConsole* console = nullptr;
    dvrCapturedLog log;
    std::mutex lock;
    std::vector<std::string> recorded;
};

TEST_F(dvrConsoleTest, WordsMatchWithoutRegardToCase) {
    int starts = 0;
    ASSERT_TRUE(console->setHandler("Start", [&](const dvrCommand&) { return ++starts, 1; }));
    console->run("start");
    console->run("START");
    console->run("StArT extra arguments");
    EXPECT_EQ(starts, 3);
    EXPECT_FALSE(console->setHandler("NoSuchWord", [](const dvrCommand&) { return 1; }));
}

TEST_F(dvrConsoleTest, UnknownEmptyAndUnownedWordsDoNothingSilently) {
    EXPECT_EQ(console->run("frobnicate now"), 0);
    EXPECT_EQ(console->run("  record x"), 0);
    EXPECT_EQ(console->run(""), 0);
    EXPECT_EQ(console->run("OpenWindow live"), 0); // in the table, but nobody owns it yet
    EXPECT_TRUE(calls().empty());
    EXPECT_TRUE(log.messages().empty());
}

TEST_F(dvrConsoleTest, TooFewArgumentsNameTheWordAsTyped) {
    bool added = false;
    console->setHandler("AddCard", [&](const dvrCommand&) { return added = true, 1; });
    struct Case {
        const char* line;
        const char* message;
    } cases[] = {
        {"aDdCaRd Network", "aDdCaRd: not enough parameters.\n"},
        {"set global global customer", "set: not enough parameters.\n"},
        {"run", "run: not enough parameters.\n"},
        {"Get global", "Get: not enough parameters.\n"},
        {"%s%n%s 1", ""}, // not a command: nothing, and certainly no format expansion
    };
    for (const Case& c : cases) {
        log.clear();
        EXPECT_EQ(console->run(c.line), 0);
        std::vector<std::string> messages = log.messages();
        if (*c.message) {
            ASSERT_EQ(messages.size(), 1u) << c.line;
            EXPECT_EQ(messages[0], c.message);
        } else {
            EXPECT_TRUE(messages.empty()) << c.line;
        }
    }
    EXPECT_FALSE(added);
}

TEST_F(dvrConsoleTest, OverlongLinesAreRefusedWithAMessage) {
    console->run("record " + std::string(600, 'x'));
    console->post("record " + std::string(600, 'y'));
    console->drainQueue();
    EXPECT_TRUE(calls().empty());
    std::vector<std::string> messages = log.messages();
    ASSERT_EQ(messages.size(), 2u);
    for (const std::string& message : messages)
        EXPECT_NE(message.find("record"), std::string::npos) << message;
}

TEST_F(dvrConsoleTest, RunTextRunsEveryLineWhateverTheEnding) {
    struct Case {
        const char* text;
        std::vector<std::string> expected;
    } cases[] = {
        {"record a\nrecord b\n", {"a", "b"}},
        {"record a\nrecord bc", {"a", "bc"}}, // no final newline: nothing lost
        {"record a\r\n\n\nrecord b\r\n", {"a", "b"}},
        {"", {}},
        {"\n", {}},
    };
    for (const Case& c : cases) {
        recorded.clear();
        console->runText(c.text);
        EXPECT_EQ(calls(), c.expected) << c.text;
    }
}

TEST_F(dvrConsoleTest, DrainRunsOnlyWhatWasQueuedWhenItStarted) {
    console->addCommand("Repost", 0, [this](const dvrCommand&) {
        console->post("record reposted");
        return 1;
    });
    console->post("repost");
    console->post("record second");
    console->post("record third");
    console->drainQueue();
    EXPECT_EQ(calls(), (std::vector<std::string>{"second", "third"}));
    EXPECT_EQ(console->queuedCount(), 1u);
    console->drainQueue();
    EXPECT_EQ(calls(), (std::vector<std::string>{"second", "third", "reposted"}));
    console->drainQueue();
    EXPECT_EQ(console->queuedCount(), 0u);
}

TEST_F(dvrConsoleTest, PostsFromManyThreadsAreEachRunOnce) {
    constexpr int threads = 4;
    constexpr int perThread = 500;
    std::atomic<int> finished{0};
    std::vector<std::thread> posters;
    for (int t = 0; t < threads; ++t) {
        posters.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i)
                console->post("record " + std::to_string(t * perThread + i));
            ++finished;
        });
    }
    // The draining thread plays the GUI thread's part while the others post.
    while (finished.load() < threads || console->queuedCount() > 0)
        console->drainQueue();
    for (auto& poster : posters)
        poster.join();
    std::vector<std::string> seen = calls();
    ASSERT_EQ(seen.size(), static_cast<std::size_t>(threads * perThread));
    std::vector<bool> once(threads * perThread, false);
    for (const std::string& value : seen) {
        int n = std::stoi(value);
        EXPECT_FALSE(once[n]) << n;
        once[n] = true;
    }
}

TEST_F(dvrConsoleTest, FullQueueRefusesFurtherPosts) {
    for (std::size_t i = 0; i < dvrConsole::maximumQueuedCommands; ++i)
        ASSERT_TRUE(console->post("record x"));
    EXPECT_FALSE(console->post("record overflow"));
    EXPECT_TRUE(log.contains("queue full"));
}

class dvrScriptTest : public dvrConsoleTest {
protected:
    void SetUp() override {
        dvrConsoleTest::SetUp();
        console->setSettingsDirectory(settings.path());
    }
    dvrTemporaryDirectory settings;
    dvrTemporaryDirectory work;
};

TEST_F(dvrScriptTest, RunSearchesTheNameThenTheSettingsDirectory) {
    struct Case {
        const char* directory; // "work" or "settings"
        const char* file;
        const char* command;
    } cases[] = {
        {"work", "plain", "run plain"},
        {"work", "withsuffix.mrd", "run withsuffix"},
        {"settings", "settingsplain", "run settingsplain"},
        {"settings", "settings.mrd", "run settings"},
        {"work", "my script.mrd", "run my script"},
        {"settings", "site A settings", "run site A settings"},
    };
    dvrWorkingDirectory inWork(work.path());
    for (const Case& c : cases) {
        const dvrTemporaryDirectory& where = std::string(c.directory) == "work" ? work : settings;
        std::string tag = c.file;
        std::replace(tag.begin(), tag.end(), ' ', '_');
        where.write(c.file, "record " + tag + "\n");
        recorded.clear();
        EXPECT_EQ(console->run(c.command), 1) << c.command;
        EXPECT_EQ(calls(), std::vector<std::string>{tag}) << c.command;
    }
    EXPECT_EQ(console->run("run missing"), 0);
    EXPECT_TRUE(log.messages().empty());
}

TEST_F(dvrScriptTest, TheWorkingDirectoryWinsOverTheSettingsDirectory) {
    dvrWorkingDirectory inWork(work.path());
    work.write("settings.mrd", "record work\n");
    settings.write("settings.mrd", "record settings\n");
    console->run("run settings");
    EXPECT_EQ(calls(), std::vector<std::string>{"work"});
}

TEST_F(dvrScriptTest, ScriptLinesAreCleanedSkippedAndRunToTheEnd) {
    std::string longLine = "record " + std::string(dvrConsole::maximumScriptLineLength, 'L');
    settings.write("lines.mrd", "# a comment\n"
                                "record one\r\n"
                                "\n"
                                "  # parsed, but its word is empty\n"
                                "record two\r\r\n" +
                                    longLine +
                                    "\n"
                                    "record three\n"
                                    "record last-without-newline");
    console->run("run lines");
    EXPECT_EQ(calls(), (std::vector<std::string>{"one", "two\r", "three", "last-without-newline"}));
    // The long line is refused whole, never split into a second command.
    ASSERT_EQ(log.messages().size(), 1u);
    EXPECT_NE(log.messages()[0].find("line longer than"), std::string::npos);
}

TEST_F(dvrScriptTest, ScriptsMayRunScriptsButRecursionIsBounded) {
    settings.write("inner.mrd", "record inner\n");
    settings.write("outer.mrd", "record outer-before\nrun inner\nrecord outer-after\n");
    console->run("run outer");
    EXPECT_EQ(calls(), (std::vector<std::string>{"outer-before", "inner", "outer-after"}));

    recorded.clear();
    settings.write("self.mrd", "record self\nrun self\n");
    console->run("run self");
    EXPECT_EQ(calls().size(), static_cast<std::size_t>(dvrConsole::maximumScriptDepth));
    EXPECT_TRUE(log.contains("nested too deeply"));
}

} // namespace
