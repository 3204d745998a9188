#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "console/dvrCommand.h"
#include "dvrCapturedLog.h"
#include "dvrXecapTestDriver.h"
#include "settings/dvrSettingSet.h"
#include "xecap/dvrBoard_xecap.h"

namespace {

constexpr int none = dvrXecapSlotScheduler::emptySlot;

void set(dvrBoard& board, const std::string& key, int value) {
    board.applySet(dvrCommand::parse("set board xecap " + key + " int " + std::to_string(value)));
}

// A PAL board on simulated card 0 (4 groups, 16 channels), opened.
class dvrBoardXecapTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(board.open()); }

    // Takes the inputs with a resolution and a rate each, in order.
    void useInputs(const std::vector<std::pair<int, int>>& inputsAndRates, int resolution = 8) {
        for (auto [input, rate] : inputsAndRates) {
            ASSERT_TRUE(board.reserveInput(input));
            board.setInputResolution(input, resolution);
            board.setInputFramerate(input, rate);
        }
    }

    dvrXecapSimulatedCard& card() { return driver.card(0); }

    dvrCapturedLog log;
    dvrXecapTestDriver driver;
    dvrBoard_xecap board;
};

TEST_F(dvrBoardXecapTest, SettingsTable) {
    struct Row {
        const char* key;
        const char* label;
        int kind;
        std::uint32_t flags;
        int low, high, value;
    } rows[] = {
        {"watchdog", "Enable watchdog", 4, 0x11, 0, 0, 0},
        {"watchdogtime", "Watchdog timer", 3, 0x10, 30, 180, 60},
        {"switch", "Enable switching", 4, 0x10, 0, 0, 0},
        {"switchtime", "Switch time", 3, 0x10, 1, 30, 5},
        {"bwc", "Enable PCI bandwidth control", 4, 0x2010, 0, 0, 1},
        {"bwc_value", "PCI bandwidth limit", 3, 0x2010, 2000, 4000, 2830},
        {"din_invert", "Invert digital input", 4, 0x2010, 0, 0, 0},
        {"multicard", "Multiple card system", 4, 0x2010, 0, 0, 0},
        {"rt_tvout1", "Monitor 1", 11, 0x210, 1, 32, 1},
        {"rt_tvOSD", "OSD type", 2, 0x210, 0, 0, 0},
        {"rt_tvOSDrec", "OSD: Show REC", 4, 0x210, 0, 0, 0},
        {"rt_tvOSDclock", "OSD: Show clock", 4, 0x210, 0, 0, 0},
        {"dio_enable", "Enable DI/O extension", 4, 0x10, 0, 0, 0},
        {"rs_speed", "RS-485 port speed", 2, 0x14, 0, 0, -1},
    };
    const dvrSettingSet& s = *board.getSettings();
    int previous = -1;
    for (const Row& row : rows) {
        int index = s.find(row.key);
        ASSERT_GE(index, 0) << row.key;
        EXPECT_GT(index, previous) << row.key << " keeps its place";
        previous = index;
        dvrSetting entry = s.entry(index);
        EXPECT_EQ(entry.label, row.label);
        EXPECT_EQ(entry.kind, row.kind) << row.key;
        EXPECT_EQ(entry.flags, row.flags) << row.key;
        EXPECT_EQ(entry.low, row.low) << row.key;
        EXPECT_EQ(entry.high, row.high) << row.key;
        EXPECT_EQ(entry.intValue, row.value) << row.key;
    }
    dvrSetting heading = s.entry(s.find("rt_tvout1") - 1);
    EXPECT_EQ(heading.label, "XeCap settings");
    EXPECT_EQ(heading.flags, 0x280u);
    int speed = s.find("rs_speed");
    ASSERT_EQ(s.choiceCount(speed), 7);
    EXPECT_EQ(s.choiceText(speed, 0), "Disabled");
    EXPECT_EQ(s.choiceValue(speed, 0), -1);
    EXPECT_EQ(s.choiceText(speed, 4), "9600 bps");
    EXPECT_EQ(s.choiceValue(speed, 4), 3);
    EXPECT_EQ(s.entry(s.find("din_invert")).help,
              "The default state is open, and triggers when closed. This option inverts the input behavior.");
    EXPECT_EQ(board.getTypeName(), "XeCap");
    EXPECT_EQ(board.getCameraType(3), 2);
    EXPECT_EQ(board.getAnalogOutputCount(), 1);
    EXPECT_TRUE(board.hasRS485());
}

TEST_F(dvrBoardXecapTest, OpensTheCardWithItsModeAndFormatAndCountsCards) {
    EXPECT_TRUE(log.contains("XeCap board (0) added."));
    EXPECT_EQ(board.cardIndex(), 0);
    EXPECT_EQ(board.getInputCount(), 16);
    EXPECT_EQ(board.groupCount(), 4);
    EXPECT_EQ(board.camerasPerGroup(), 4);
    EXPECT_EQ(card().openMode(), 3);
    EXPECT_EQ(card().videoFormat(), 0);

    // A second board drives the second card; a third finds no card of its own.
    auto second = std::make_unique<dvrBoard_xecap>();
    set(*second, "dio_enable", 1);
    set(*second, "videostd", 0);
    ASSERT_TRUE(second->open());
    EXPECT_EQ(second->cardIndex(), 1);
    EXPECT_EQ(driver.card(1).openMode(), 19);
    EXPECT_EQ(driver.card(1).videoFormat(), 1);
    EXPECT_EQ(second->framesPerGroup(), 30);
    {
        dvrBoard_xecap third;
        EXPECT_EQ(third.cardIndex(), 2);
        EXPECT_FALSE(third.open());
    }
    second.reset();
    EXPECT_TRUE(log.contains("XeCap board closed."));
    EXPECT_FALSE(driver.card(1).isOpen());
    // The number of a board that went is taken by the next one.
    dvrBoard_xecap replacement;
    EXPECT_EQ(replacement.cardIndex(), 1);
}

TEST(dvrBoardXecapGroupsTest, ChipTypeGivesTheGroups) {
    struct Case {
        int chipType, channels, groups, camerasPerGroup;
    } cases[] = {{3, 8, 2, 4}, {5, 32, 8, 4}, {4, 16, 4, 4}, {1, 4, 4, 1}};
    for (const Case& c : cases) {
        dvrXecapTestDriver driver(c.chipType, c.channels);
        dvrBoard_xecap board;
        ASSERT_TRUE(board.open());
        EXPECT_EQ(board.groupCount(), c.groups) << c.chipType;
        EXPECT_EQ(board.getInputCount(), c.channels);
        EXPECT_EQ(board.camerasPerGroup(), c.camerasPerGroup);
    }
}

TEST_F(dvrBoardXecapTest, AFullGroupTakesAFrameFromEveryCameraAboveOne) {
    // Group 0 holds inputs 0, 4, 8 and 12.
    useInputs({{0, 10}, {4, 10}, {8, 5}});
    EXPECT_EQ(board.framesLeftInGroup(0), 0);
    ASSERT_TRUE(board.reserveInput(12));
    board.setInputResolution(12, 8);
    EXPECT_EQ(board.setInputFramerate(12, 5), 3);
    EXPECT_EQ(board.inputFramerate(0), 9);
    EXPECT_EQ(board.inputFramerate(4), 9);
    EXPECT_EQ(board.inputFramerate(8), 4);
    EXPECT_EQ(board.inputFramerate(12), 3);
    // Another group is untouched by all this.
    useInputs({{1, 25}});
    EXPECT_EQ(board.inputFramerate(1), 25);
}

TEST_F(dvrBoardXecapTest, AnIncreaseBeyondTheBusBudgetKeepsTheOldRate) {
    // Budget 200 with 4 groups: 25 + 20 full frames weigh 180, which leaves 20 CIF frames.
    useInputs({{0, 25}, {1, 20}}, 2);
    ASSERT_TRUE(board.reserveInput(2));
    board.setInputResolution(2, 8);
    EXPECT_EQ(board.setInputFramerate(2, 25), 1) << "no old rate: one frame";
    EXPECT_EQ(board.setInputFramerate(2, 21), 1) << "the old rate stays";
    EXPECT_EQ(board.setInputFramerate(2, 20), 20);
    // Lowering another camera makes room.
    EXPECT_EQ(board.setInputFramerate(1, 10), 10);
    EXPECT_EQ(board.setInputFramerate(2, 25), 25);
}

TEST_F(dvrBoardXecapTest, AResolutionBeyondTheBudgetFallsBackToCif) {
    useInputs({{1, 20}, {2, 20}}, 2);
    ASSERT_TRUE(board.reserveInput(0));
    board.setInputFramerate(0, 11);
    EXPECT_EQ(board.setInputResolution(0, 2), 8) << "160 + 11 full frames exceed 200";
    EXPECT_EQ(board.inputResolution(0), 8);
    EXPECT_EQ(board.setInputResolution(0, 5), 5) << "fields weigh half";
    board.setInputFramerate(2, 1);
    EXPECT_EQ(board.setInputResolution(0, 2), 2);
}

TEST_F(dvrBoardXecapTest, StartHandsEachGroupItsSlotScheduleAndDeliversAtThatPace) {
    useInputs({{0, 10}, {4, 5}, {1, 25}});
    ASSERT_TRUE(board.start());
    std::vector<int> expected(25, none);
    for (int slot : {3, 5, 8, 10, 13, 15, 18, 20, 23, 25})
        expected[static_cast<std::size_t>(slot - 1)] = 0;
    for (int slot : {4, 9, 14, 19, 24})
        expected[static_cast<std::size_t>(slot - 1)] = 4;
    EXPECT_EQ(board.groupSchedule(0), expected);
    EXPECT_EQ(card().slotTable(0), expected);
    EXPECT_EQ(card().slotTable(1), std::vector<int>(25, 1));
    EXPECT_EQ(card().slotTable(2), std::vector<int>(25, none));
    EXPECT_TRUE(card().isTransferOn(0));
    EXPECT_EQ(card().transferResolution(0), 8);

    card().advanceFrames(50);
    EXPECT_EQ(card().picturesDelivered(0), 20u);
    EXPECT_EQ(card().picturesDelivered(4), 10u);
    EXPECT_EQ(card().picturesDelivered(1), 50u);

    // A change while capturing reschedules the group at once.
    board.setInputFramerate(4, 1);
    std::vector<int> schedule = board.groupSchedule(0);
    EXPECT_EQ(std::count(schedule.begin(), schedule.end(), 4), 1);
    card().advanceFrames(25);
    EXPECT_EQ(card().picturesDelivered(4), 11u);
}

TEST_F(dvrBoardXecapTest, SignalOfOneInputAndOfAllInputsInUse) {
    useInputs({{0, 5}, {1, 5}});
    board.start();
    EXPECT_TRUE(board.hasSignal(0));
    EXPECT_TRUE(board.hasSignal(-1));
    EXPECT_FALSE(board.hasSignal(2)) << "no camera, no signal";
    card().setSignalLost(1, true);
    EXPECT_FALSE(board.hasSignal(1));
    EXPECT_FALSE(board.hasSignal(-1));
    EXPECT_EQ(board.signalChange(1), 0);
    card().setSignalLost(1, false);
    EXPECT_EQ(board.signalChange(1), 1);
    EXPECT_FALSE(board.hasSignal(16));
}

TEST_F(dvrBoardXecapTest, DigitalInputsFollowTheContactsAndDinInvert) {
    struct Case {
        bool closed;
        int invert;
        int reading;
    } cases[] = {{false, 0, 0}, {true, 0, 1}, {false, 1, 1}, {true, 1, 0}};
    for (const Case& c : cases) {
        card().setContactClosed(31, c.closed);
        set(board, "din_invert", c.invert);
        ASSERT_EQ(board.pollDigitalIO(), 1);
        EXPECT_EQ(board.getDigitalInput(31), c.reading) << "closed " << c.closed << " invert " << c.invert;
    }
    // The tables hold 32 lines: 0-31.
    EXPECT_EQ(board.getDigitalInput(32), 0);
    EXPECT_EQ(board.getDigitalInput(-1), 0);
    EXPECT_EQ(board.setDigitalOutput(32, true), 0);
    EXPECT_EQ(board.setDigitalOutput(0, true), 1);
    set(board, "DIO_on", 31);
    EXPECT_EQ(card().digitalOutputs(), 0u) << "outputs reach the card with the next poll";
    board.pollDigitalIO();
    EXPECT_EQ(card().digitalOutputs(), 0x80000001u);
    set(board, "DIO_off", 0);
    set(board, "dio_enable", 1);
    board.update();
    EXPECT_EQ(card().digitalOutputs(), 0x80000000u) << "the refresh polls with the extension on";
}

TEST_F(dvrBoardXecapTest, MonitorOutputAndSwitching) {
    set(board, "rt_tvout1", 3);
    EXPECT_EQ(card().tvOutInput(), 2);
    EXPECT_EQ(board.monitorInput(), 2);
    EXPECT_FALSE(board.setAnalogOutput(0, 32));
    EXPECT_FALSE(board.setAnalogOutput(1, 4)) << "only monitor 1 is switched";
    set(board, "rt_tvout2", 5);
    EXPECT_EQ(card().tvOutInput(), 2);
    set(board, "TV0", 7);
    EXPECT_EQ(card().tvOutInput(), 7);

    // Switching visits inputs in use without the no-switching mark, cyclically.
    for (int input : {1, 3, 9})
        ASSERT_TRUE(board.reserveInput(input));
    board.setNoSwitch(3, true);
    std::vector<int> visited;
    for (int step = 0; step < 4; ++step) {
        board.switchMonitorToNext();
        visited.push_back(card().tvOutInput());
    }
    EXPECT_EQ(visited, (std::vector<int>{9, 1, 9, 1}));
    EXPECT_EQ(board.getSettings()->getInt("rt_tvout1"), 2);
}

TEST_F(dvrBoardXecapTest, OnScreenTextPositionsAndContents) {
    std::string blankLayer(240, ' ');
    set(board, "rt_tvout1", 12);
    set(board, "rt_tvOSD", 1);
    board.update();
    std::string expected = blankLayer;
    expected.replace(0, 2, "12");
    EXPECT_EQ(card().osdText(0), expected);
    EXPECT_EQ(card().osdText(1), blankLayer);

    set(board, "rt_tvOSDclock", 1);
    set(board, "rt_tvOSDrec", 1);
    board.update();
    std::string text = card().osdText(0);
    EXPECT_EQ(text.substr(0, 24), "12                      ") << "no camera records: two blanks at 22";
    EXPECT_TRUE(std::regex_match(text.substr(40, 8), std::regex("[0-2][0-9]:[0-5][0-9]:[0-6][0-9]")))
        << text.substr(40, 8);
    EXPECT_EQ(text.substr(48), blankLayer.substr(48));

    set(board, "rt_tvOSD", 0);
    set(board, "rt_tvOSDclock", 0);
    board.update();
    EXPECT_EQ(card().osdText(0).substr(0, 22), blankLayer.substr(0, 22));
    board.stop();
    EXPECT_EQ(card().osdText(0), blankLayer) << "stop clears the text";
}

TEST_F(dvrBoardXecapTest, Rs485PortMessagesLimitsAndTimeOuts) {
    std::vector<std::uint8_t> bytes(1025, 0x55);
    EXPECT_EQ(board.writeRS485(bytes.data(), 4), 0);
    EXPECT_TRUE(log.contains("XE_RS485 is not available! The DI/O extension has not been enabled."));
    set(board, "dio_enable", 1);
    EXPECT_EQ(board.writeRS485(bytes.data(), 4), 0) << "speed disabled";
    set(board, "rs_speed", 3);
    EXPECT_EQ(board.writeRS485(bytes.data(), 4), 4);
    EXPECT_TRUE(log.contains("XE_RS485 inited with 9600 bps [3]"));
    EXPECT_EQ(card().uartSpeedIndex(), 3);
    EXPECT_EQ(board.writeRS485(bytes.data(), 1025), 0);
    EXPECT_EQ(board.writeRS485(bytes.data(), 1024), 1024);
    EXPECT_EQ(card().uartBytes().size(), 1028u) << "1025 bytes wrote nothing";

    card().setUartTimesOut(true);
    EXPECT_EQ(board.writeRS485(bytes.data(), 3), 0) << "a time-out is no success";
    card().setUartTimesOut(false);

    log.clear();
    set(board, "rs_speed", 5);
    EXPECT_EQ(board.writeRS485(bytes.data(), 2), 2);
    EXPECT_TRUE(log.contains("XE_RS485 inited with 38400 bps [5]"));
    EXPECT_EQ(card().uartSpeedIndex(), 5);
    EXPECT_TRUE(board.closeRS485());
    EXPECT_FALSE(card().isUartConfigured());
}

TEST_F(dvrBoardXecapTest, PictureControlsAndWatchdog) {
    EXPECT_TRUE(board.setBrightness(2, 40));
    EXPECT_TRUE(board.setColor(2, 90));
    EXPECT_TRUE(board.setHue(3, 10));
    using Control = dvrXecapDriver::Control;
    EXPECT_EQ(card().pictureControl(2, Control::brightness), 40);
    EXPECT_EQ(card().pictureControl(2, Control::hue), 127);
    EXPECT_EQ(card().pictureControl(2, Control::saturationU), 90);
    EXPECT_EQ(card().pictureControl(2, Control::saturationV), 90);
    EXPECT_EQ(card().pictureControl(3, Control::hue), 10);
    EXPECT_FALSE(board.setContrast(16, 1));

    set(board, "watchdog", 1);
    set(board, "watchdogtime", 90);
    board.watchdogTick();
    board.watchdogTick();
    EXPECT_EQ(card().watchdogCalls(), std::vector<std::string>{"enable 90"});
}

TEST_F(dvrBoardXecapTest, FrameWaitsNeedARunningInputAndStopInputEndsAPendingWait) {
    useInputs({{0, 5}});
    EXPECT_FALSE(board.waitForFrame(0, 0)) << "not started";
    board.start();
    EXPECT_FALSE(board.waitForFrame(0, 0)) << "nothing delivered yet";
    card().advanceFrames(25);
    EXPECT_TRUE(board.waitForFrame(0, 0));
    EXPECT_FALSE(board.grabFrame(0, dvrFrameBuffer{}));

    std::atomic<bool> result{true};
    std::thread capture([&] { result = board.waitForFrame(0, 600000); });
    // Whether stopInput comes before or during the wait, the wait ends.
    board.stopInput(0);
    capture.join();
    EXPECT_FALSE(result);
    EXPECT_FALSE(card().isTransferOn(0));
}

TEST_F(dvrBoardXecapTest, ConsoleScriptsTheSimulatedCard) {
    EXPECT_EQ(board.getSettings()->getInt("sim_motion"), 5);
    set(board, "sim_motion", 6);
    EXPECT_FALSE(card().isMoving(0));
    EXPECT_TRUE(card().isMoving(1));
    EXPECT_TRUE(card().isMoving(2));
    useInputs({{0, 5}});
    board.start();
    set(board, "sim_signal_off", 0);
    EXPECT_FALSE(board.hasSignal(0));
    set(board, "sim_signal_on", 0);
    EXPECT_TRUE(board.hasSignal(0));
    set(board, "sim_contact_close", 4);
    board.pollDigitalIO();
    EXPECT_EQ(board.getDigitalInput(4), 1);
}

} // namespace
