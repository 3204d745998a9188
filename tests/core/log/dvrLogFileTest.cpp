#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "dvrCapturedLog.h"
#include "dvrTemporaryDirectory.h"
#include "dvrTestCatalogue.h"
#include "log/dvrLog.h"
#include "log/dvrLogFile.h"

namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

const std::regex stampedLine(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}: .*)");

TEST(dvrLogFileTest, LinesCarryTheTimeAndTheSeverityWord) {
    std::tm time{};
    time.tm_year = 2024 - 1900;
    time.tm_mon = 4;
    time.tm_mday = 1;
    time.tm_hour = 9;
    time.tm_min = 5;
    time.tm_sec = 7;
    const struct {
        dvrLogSeverity severity;
        const char* text;
        const char* line;
    } cases[] = {
        {dvrLogSeverity::error, "disk gone", "2024-05-01 09:05:07: Error: disk gone\n"},
        {dvrLogSeverity::warning, "slow", "2024-05-01 09:05:07: Warning: slow\n"},
        {dvrLogSeverity::message, "[CORE] hello", "2024-05-01 09:05:07: [CORE] hello\n"},
        {dvrLogSeverity::verbose, "DB x opened", "2024-05-01 09:05:07: DB x opened\n"},
        // A text that ends in a newline leaves an empty line after its own.
        {dvrLogSeverity::message, "[CORE] Exiting.\n", "2024-05-01 09:05:07: [CORE] Exiting.\n\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dvrLogFile::composeLine(c.severity, c.text, time), c.line);

    dvrTestCatalogue german({{"Error: ", "Fehler: "}, {"Warning: ", "Warnung: "}});
    EXPECT_EQ(dvrLogFile::composeLine(dvrLogSeverity::error, "x", time), "2024-05-01 09:05:07: Fehler: x\n");
}

class dvrLogFileWritingTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory.write("test.log", "an earlier line\n");
        ASSERT_TRUE(file.open(path));
        dvrLog::setTarget(&file);
    }
    void TearDown() override {
        dvrLog::setTarget(nullptr);
        dvrLog::setVerbose(false);
    }
    dvrTemporaryDirectory directory;
    std::string path = directory.file("test.log");
    dvrLogFile file;
};

TEST_F(dvrLogFileWritingTest, MessagesAreAppendedAtOnceAndVerboseOnlyWhenSwitchedOn) {
    logError("[CORE] Error!!! Cannot save settings to %s!\n", "/a%s/b");
    logWarning("careful");
    logMessage("plain %d", 42);
    logVerbose("hidden %d", 1);
    dvrLog::setVerbose(true);
    logVerbose("shown %d", 2);

    // Read while the file is still open: nothing waits in a buffer.
    std::vector<std::string> written = lines(readFile(path));
    ASSERT_EQ(written.size(), 6u) << readFile(path);
    EXPECT_EQ(written[0], "an earlier line");
    const char* endings[] = {": Error: [CORE] Error!!! Cannot save settings to /a%s/b!", "",
                             ": Warning: careful", ": plain 42", ": shown 2"};
    for (std::size_t i = 1; i < written.size(); ++i) {
        std::string ending = endings[i - 1];
        if (ending.empty()) {
            EXPECT_EQ(written[i], "");
            continue;
        }
        EXPECT_TRUE(std::regex_match(written[i], stampedLine)) << written[i];
        EXPECT_EQ(written[i].substr(19), ending);
    }
}

TEST_F(dvrLogFileWritingTest, LinesFromManyThreadsStayWhole) {
    constexpr int threadCount = 8;
    constexpr int messagesPerThread = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([t] {
            std::string payload(200, static_cast<char>('a' + t));
            for (int i = 0; i < messagesPerThread; ++i)
                logMessage("[T%d] %s", t, payload.c_str());
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    std::vector<std::string> written = lines(readFile(path));
    ASSERT_EQ(written.size(), 1u + threadCount * messagesPerThread);
    int counts[threadCount] = {};
    for (std::size_t i = 1; i < written.size(); ++i) {
        const std::string& line = written[i];
        ASSERT_TRUE(std::regex_match(line, stampedLine)) << line;
        int t = line[23] - '0';
        ASSERT_GE(t, 0);
        ASSERT_LT(t, threadCount);
        EXPECT_EQ(line.substr(21),
                  "[T" + std::to_string(t) + "] " + std::string(200, static_cast<char>('a' + t)));
        ++counts[t];
    }
    for (int count : counts)
        EXPECT_EQ(count, messagesPerThread);
}

TEST(dvrLogTest, LongMessagesAreCutAtACharacterBoundary) {
    dvrCapturedLog log;
    const struct {
        std::string text;
        std::string kept;
    } cases[] = {
        {std::string(5000, 'x'), std::string(4095, 'x')},
        {std::string(4095, 'x'), std::string(4095, 'x')},
        // A two-byte character across the limit is dropped whole.
        {std::string(4094, 'x') + "\xC3\xA9" + "tail", std::string(4094, 'x')},
        {std::string(4093, 'x') + "\xC3\xA9" + "tail", std::string(4093, 'x') + "\xC3\xA9"},
        {std::string(4093, 'x') + "\xE2\x82\xAC", std::string(4093, 'x')},
    };
    for (const auto& c : cases) {
        log.clear();
        logMessage("%s", c.text.c_str());
        ASSERT_EQ(log.messages().size(), 1u);
        EXPECT_EQ(log.messages()[0], c.kept) << c.text.size();
    }
}

TEST(dvrProgramLogTest, OpensMirdalLogInTheDirectoryAndFallsBackToTheDefaultOutput) {
    dvrTemporaryDirectory directory;
    ASSERT_TRUE(dvrLogFile::openProgramLog(directory.path()));
    logMessage("[CORE] first");
    dvrLogFile::closeProgramLog();
    std::vector<std::string> written = lines(readFile(directory.file("mirdal.log")));
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].substr(19), ": [CORE] first");

    // A log that cannot be opened is reported through the output in use, which keeps the rest.
    dvrCapturedLog fallback;
    EXPECT_FALSE(dvrLogFile::openProgramLog(directory.file("missing")));
    logMessage("[CORE] still logged");
    EXPECT_EQ(fallback.messages(),
              (std::vector<std::string>{"Log file could not be opened!", "[CORE] still logged"}));
}

} // namespace
