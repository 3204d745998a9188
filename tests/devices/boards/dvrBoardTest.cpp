#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/dvrCommand.h"
#include "dvrBoard.h"
#include "settings/dvrSettingSet.h"

namespace {

// A board with four inputs, two digital outputs and one analog output that records what it is
// asked to do.
class RecordingBoard : public dvrBoard {
public:
    int getInputCount() const override { return 4; }
    int getDigitalOutputCount() const override { return 2; }
    int getAnalogOutputCount() const override { return 1; }
    std::string getTypeName() const override { return "Recording"; }
    bool open() override { return calls.push_back("open"), true; }
    bool close() override { return calls.push_back("close"), true; }
    int setDigitalOutput(int index, bool on) override {
        calls.push_back("DO" + std::to_string(index) + (on ? " on" : " off"));
        return 1;
    }
    bool setAnalogOutput(int output, int input) override {
        calls.push_back("TV" + std::to_string(output) + "=" + std::to_string(input));
        return true;
    }
    bool hasSignal(int input) override { return signal[input]; }
    int watchdogEnable(int seconds) override { return calls.push_back("wd " + std::to_string(seconds)), 1; }
    int watchdogDisable() override { return calls.push_back("wd off"), 1; }

    std::vector<std::string> calls;
    bool signal[4] = {true, true, true, true};
};

TEST(dvrBoardTest, SettingsAndIdentity) {
    RecordingBoard board;
    dvrSettingSet* settings = board.getSettings();
    EXPECT_EQ(settings->scope(), "board");
    EXPECT_EQ(settings->objectName(), "temporary");
    EXPECT_EQ(settings->getInt("videostd"), 1);
    EXPECT_EQ(settings->getText("icon"), "/card_icon_small.png");
    EXPECT_EQ(board.getId(), settings->getInt("ID"));
    EXPECT_GE(board.getId(), 0);
    EXPECT_LE(board.getId(), 255);

    RecordingBoard next;
    EXPECT_EQ(next.getId(), (board.getId() + 1) % 256);
}

TEST(dvrBoardTest, SetReactionsActWithoutBeingStored) {
    RecordingBoard board;
    struct Case {
        const char* line;
        std::vector<std::string> calls;
    } cases[] = {
        {"set board b enable int 1", {"open"}},
        {"set board b ENABLE int 0", {"close"}},
        {"set board b DIO_on int 1", {"DO1 on"}},
        {"set board b DIO_off int 0", {"DO0 off"}},
        {"set board b DIO_on int 2", {}},  // past the last output
        {"set board b DIO_on int -1", {}}, // negative
        {"set board b TV0 int 3", {"TV0=3"}},
        {"set board b TV1 int 3", {}},  // the board has one analog output
        {"set board b TV0 int 4", {}},  // no such input
        {"set board b TV0 int -2", {}}, // negative input
        {"set board b enable string 1", {}},
    };
    for (const Case& c : cases) {
        board.calls.clear();
        EXPECT_EQ(board.applySet(dvrCommand::parse(c.line)), 1);
        EXPECT_EQ(board.calls, c.calls) << c.line;
    }
    for (const char* key : {"enable", "DIO_on", "DIO_off", "TV0"})
        EXPECT_EQ(board.getSettings()->find(key), -1) << key;
}

TEST(dvrBoardTest, IdLinesSetTheBoardIdWithinItsRange) {
    RecordingBoard board;
    struct Case {
        const char* value;
        int id;
    } cases[] = {{"7", 7}, {"0", 0}, {"255", 255}, {"256", 255}, {"-3", 0}};
    for (const Case& c : cases) {
        board.applySet(dvrCommand::parse(std::string("set board b ID int ") + c.value));
        EXPECT_EQ(board.getId(), c.id) << c.value;
        EXPECT_EQ(board.getSettings()->getInt("ID"), c.id) << c.value;
    }
}

TEST(dvrBoardTest, InputsAreReservedOnceAndWithinBounds) {
    RecordingBoard board;
    EXPECT_TRUE(board.reserveInput(0));
    EXPECT_FALSE(board.reserveInput(0));
    EXPECT_TRUE(board.reserveInput(3));
    for (int outside : {4, -1, 255, 256, 100000})
        EXPECT_FALSE(board.reserveInput(outside)) << outside;
    EXPECT_FALSE(board.releaseInput(1)); // not in use
    EXPECT_TRUE(board.releaseInput(0));
    EXPECT_TRUE(board.reserveInput(0));
    for (int outside : {4, -1})
        EXPECT_FALSE(board.releaseInput(outside));
}

TEST(dvrBoardTest, FreeInputsNameTheTypeAndTheInputFromOne) {
    RecordingBoard board;
    board.reserveInput(1);
    std::vector<dvrFreeInput> free = board.listFreeInputs();
    ASSERT_EQ(free.size(), 3u);
    EXPECT_EQ(free[0].text, "Recording [1]");
    EXPECT_EQ(free[0].input, 0);
    EXPECT_EQ(free[1].text, "Recording [3]");
    EXPECT_EQ(free[1].input, 2);
}

TEST(dvrBoardTest, PerInputTablesIgnoreInputsOutOfRange) {
    RecordingBoard board;
    EXPECT_EQ(board.setInputFramerate(2, 12), 12);
    EXPECT_EQ(board.inputFramerate(2), 12);
    EXPECT_EQ(board.setInputResolution(1, 3), 3);
    EXPECT_TRUE(board.setInputFormat(0, 7));
    EXPECT_EQ(board.inputFormat(0), 7);
    EXPECT_EQ(board.setInputFramerate(-1, 12), 0);
    EXPECT_EQ(board.setInputResolution(4, 1), 0);
    EXPECT_FALSE(board.setInputFormat(300, 2));
    EXPECT_EQ(board.inputFramerate(-1), 0);
}

TEST(dvrBoardTest, SignalChangesAreReportedOnceEach) {
    RecordingBoard board;
    struct Step {
        bool present;
        int change;
    } steps[] = {{true, 1}, {true, 0}, {false, -1}, {false, 0}, {true, 1}};
    for (const Step& step : steps) {
        board.signal[2] = step.present;
        EXPECT_EQ(board.signalChange(2), step.change);
    }
    EXPECT_EQ(board.signalChange(64), 0);
    EXPECT_EQ(board.signalChange(-1), 0);
}

TEST(dvrBoardTest, WatchdogTickFollowsTheSettingsAtMostOnceASecond) {
    RecordingBoard board;
    board.declareWatchdogSettings();
    EXPECT_EQ(board.getSettings()->getInt("watchdogtime"), 60);
    board.getSettings()->setInt("watchdog", 1);
    board.watchdogTick();
    board.watchdogTick(); // within the same second: nothing more
    EXPECT_EQ(board.calls, std::vector<std::string>{"wd 60"});
}

} // namespace
