#include <gtest/gtest.h>

#include <sys/ioctl.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "console/dvrCommand.h"
#include "dvrBoard.h"
#include "dvrBoardContainer.h"
#include "dvrCapturedLog.h"
#include "dvrLineSpeedProbe.h"
#include "dvrPortTable.h"
#include "dvrPseudoTerminal.h"
#include "dvrTemporaryDirectory.h"
#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingLines.h"

namespace {

// A board that may have an RS-485 line and keeps what is done with it.
class LineBoard : public dvrBoard {
public:
    explicit LineBoard(bool hasLine) : hasLine_(hasLine) {}
    std::string getTypeName() const override { return "LineBoard"; }
    bool hasRS485() const override { return hasLine_; }
    bool openRS485() override { return ++opens, true; }
    int writeRS485(const std::uint8_t* bytes, int length) override {
        received.append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
        return length;
    }
    bool closeRS485() override { return ++closes, true; }

    int opens = 0;
    int closes = 0;
    std::string received;

private:
    bool hasLine_;
};

int writeText(dvrPortTable& table, int port, const std::string& text) {
    return table.write(port, reinterpret_cast<const std::uint8_t*>(text.data()),
                       static_cast<int>(text.size()));
}

bool heldExclusively(const dvrPseudoTerminal& line) {
    int held = 0;
    return ::ioctl(line.portSide(), TIOCGEXCL, &held) == 0 && held != 0;
}

int countOf(const dvrCapturedLog& log, const std::string& text) {
    int count = 0;
    for (const std::string& message : log.messages())
        count += message.find(text) != std::string::npos;
    return count;
}

// Boards come from a real container, whose lookup also matches part of a name; COM port 2 is a
// pseudo-terminal and every other COM port a path that does not exist, so no real line is touched.
class dvrPortTableTest : public ::testing::Test {
protected:
    static constexpr int linePort = 2;

    void SetUp() override {
        ASSERT_TRUE(line_.isOpen());
        dvrBoardContainer::registerKind("lineboard", [] { return std::make_unique<LineBoard>(true); });
        dvrBoardContainer::registerKind("plainboard", [] { return std::make_unique<LineBoard>(false); });
        prepare(table_);
    }

    void TearDown() override {
        dvrBoardContainer::unregisterKind("lineboard");
        dvrBoardContainer::unregisterKind("plainboard");
    }

    void prepare(dvrPortTable& table) {
        table.setBoardLookup([this](std::string_view name) { return boards_.findBoard(name); });
        table.setDevicePathLookup([this](int port) {
            return port == linePort ? line_.portPath() : directory_.file("ttyS" + std::to_string(port - 1));
        });
    }

    LineBoard* addBoard(const std::string& name, bool hasLine = true) {
        if (!boards_.addBoard(hasLine ? "lineboard" : "plainboard", name))
            return nullptr;
        return dynamic_cast<LineBoard*>(boards_.findBoardExactly(name));
    }

    dvrCapturedLog log_;
    dvrTemporaryDirectory directory_;
    dvrPseudoTerminal line_;
    dvrBoardContainer boards_;
    dvrPortTable table_;
};

TEST(dvrPortTableNames, PortNumbersAndDevicePaths) {
    struct Case {
        const char* text;
        int port;
    };
    const Case cases[] = {
        {"COM1", 1},  {"com2", 2},   {"Com32", 32}, {"COM09", 9},   {"COM33", 0}, {"COM0", 0},
        {"COM", 0},   {"CO", 0},     {"C", 0},      {"", 0},        {"COM-1", 0}, {"COM 1", 0},
        {"COM1a", 0}, {"COM123", 0}, {"XYZ1", 0},   {"Dome485", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dvrPortTable::portNumberFromName(c.text), c.port) << '"' << c.text << '"';

    EXPECT_EQ(dvrPortTable::defaultDevicePath(1), "/dev/ttyS0");
    EXPECT_EQ(dvrPortTable::defaultDevicePath(32), "/dev/ttyS31");
    for (int port : {INT_MIN, -1, 0, 33})
        EXPECT_EQ(dvrPortTable::defaultDevicePath(port), "") << port;
}

// Numbers outside 1-32 fail every operation; 1 and 32 are real ports.
TEST_F(dvrPortTableTest, PortNumbersAreCheckedAgainstBothBounds) {
    LineBoard* board = addBoard("Dome485");
    ASSERT_NE(board, nullptr);
    const std::uint8_t bytes[] = {1, 2, 3};
    for (int port : {INT_MIN, -1, 0, 33, INT_MAX}) {
        EXPECT_FALSE(table_.configure(port, dvrPortTable::Kind::com, 9600)) << port;
        EXPECT_FALSE(table_.configure(port, dvrPortTable::Kind::board, 0, "Dome485")) << port;
        EXPECT_FALSE(table_.open(port)) << port;
        EXPECT_FALSE(table_.close(port)) << port;
        EXPECT_EQ(table_.write(port, bytes, 3), 0) << port;
        EXPECT_FALSE(table_.isOpen(port));
        EXPECT_EQ(table_.kind(port), dvrPortTable::Kind::none);
        EXPECT_EQ(table_.speed(port), 0);
        EXPECT_EQ(table_.boardName(port), "");
    }
    EXPECT_EQ(board->opens, 0);

    for (int port : {1, 32}) {
        EXPECT_EQ(table_.speed(port), dvrPortTable::initialSpeed);
        EXPECT_TRUE(table_.configure(port, dvrPortTable::Kind::board, 0, "Dome485")) << port;
        EXPECT_EQ(table_.speed(port), dvrPortTable::boardPortSpeed);
        EXPECT_EQ(table_.write(port, bytes, 3), 3) << port;
    }
    EXPECT_EQ(board->received, std::string("\1\2\3\1\2\3"));
    EXPECT_FALSE(table_.configure(6, dvrPortTable::Kind::board, 0, ""));
    EXPECT_FALSE(table_.configure(6, static_cast<dvrPortTable::Kind>(2), 9600));
}

TEST_F(dvrPortTableTest, ComPortConfiguresWritesAndCloses) {
    ASSERT_TRUE(table_.configure(linePort, dvrPortTable::Kind::com, 38400));
    EXPECT_TRUE(table_.isOpen(linePort));
    EXPECT_EQ(table_.kind(linePort), dvrPortTable::Kind::com);
    EXPECT_EQ(dvrLineSpeedProbe::outputSpeed(line_.portSide()), 38400);
    EXPECT_EQ(writeText(table_, linePort, "abc"), 3);
    EXPECT_EQ(line_.readAtFarEnd(3), "abc");

    // Configuring an open port closes it first, so it opens again at the new speed.
    ASSERT_TRUE(table_.configure(linePort, dvrPortTable::Kind::com, 14400));
    EXPECT_EQ(dvrLineSpeedProbe::outputSpeed(line_.portSide()), 14400);
    EXPECT_EQ(table_.speed(linePort), 14400);

    EXPECT_TRUE(table_.close(linePort));
    EXPECT_FALSE(table_.isOpen(linePort));
    EXPECT_FALSE(heldExclusively(line_));
    EXPECT_EQ(writeText(table_, linePort, "lost"), 0);
    ASSERT_TRUE(table_.open(linePort));
    EXPECT_EQ(writeText(table_, linePort, "back"), 4);
    EXPECT_EQ(line_.readAtFarEnd(4), "back");

    // A speed the line cannot run at leaves the port closed and the line free.
    EXPECT_FALSE(table_.configure(linePort, dvrPortTable::Kind::com, 12345));
    EXPECT_FALSE(table_.isOpen(linePort));
    EXPECT_FALSE(heldExclusively(line_));
    EXPECT_FALSE(table_.configure(3, dvrPortTable::Kind::com, 9600));
    EXPECT_FALSE(table_.isOpen(3));
}

// "com1" to "com4" lines reach the process-wide table while the reactions are installed.
TEST_F(dvrPortTableTest, GlobalComSettingsConfigureAndClosePorts) {
    dvrGlobalSettings::create();
    dvrGlobalSettings::applyDefaults();
    dvrPortTable* table = dvrPortTable::create();
    prepare(*table);
    dvrPortTable::installSettingReactions();
    auto setLine = [](const std::string& line) { return dvrSettingLines::route(dvrCommand::parse(line)); };

    EXPECT_EQ(setLine("set global global com2 int 57600"), 1);
    EXPECT_TRUE(table->isOpen(linePort));
    EXPECT_EQ(table->kind(linePort), dvrPortTable::Kind::com);
    EXPECT_EQ(dvrLineSpeedProbe::outputSpeed(line_.portSide()), 57600);
    EXPECT_EQ(writeText(*table, linePort, "via setting"), 11);
    EXPECT_EQ(line_.readAtFarEnd(11), "via setting");

    EXPECT_EQ(setLine("set global global COM2 int 0"), 1);
    EXPECT_FALSE(table->isOpen(linePort));
    EXPECT_FALSE(heldExclusively(line_));
    EXPECT_EQ(writeText(*table, linePort, "closed"), 0);

    // Only ports 1-4 follow settings; a port whose device is missing stays closed.
    EXPECT_EQ(setLine("set global global com5 int 9600"), 1);
    EXPECT_EQ(table->kind(5), dvrPortTable::Kind::none);
    EXPECT_EQ(setLine("set global global com4 int 9600"), 1);
    EXPECT_EQ(table->kind(4), dvrPortTable::Kind::com);
    EXPECT_FALSE(table->isOpen(4));

    dvrPortTable::removeSettingReactions();
    EXPECT_EQ(setLine("set global global com2 int 9600"), 1);
    EXPECT_FALSE(table->isOpen(linePort));

    dvrPortTable::destroy();
    EXPECT_EQ(dvrPortTable::instance(), nullptr);
    dvrGlobalSettings::destroy();
}

TEST_F(dvrPortTableTest, BoardPortIsAddedOnceAndCarriesBytesToTheBoard) {
    LineBoard* dome = addBoard("Dome485");
    LineBoard* pier = addBoard("Pier");
    ASSERT_TRUE(dome && pier);

    EXPECT_EQ(table_.findOrAddBoardPort("Dome485"), 5);
    EXPECT_TRUE(log_.contains("COMPORT ADDED: DEVICE Dome485")) << log_.all();
    EXPECT_EQ(table_.kind(5), dvrPortTable::Kind::board);
    EXPECT_EQ(table_.speed(5), dvrPortTable::boardPortSpeed);
    EXPECT_EQ(table_.boardName(5), "Dome485");
    EXPECT_TRUE(table_.isOpen(5));
    EXPECT_EQ(dome->opens, 1);

    EXPECT_EQ(table_.findOrAddBoardPort("DOME485"), 5);
    EXPECT_EQ(dome->opens, 1);
    EXPECT_EQ(countOf(log_, "COMPORT ADDED"), 1);
    EXPECT_EQ(table_.findOrAddBoardPort("Pier"), 6);

    const std::uint8_t frame[] = {0xA0, 0x01, 0x00, 0x04, 0x20, 0x00, 0xAF, 0x2E};
    EXPECT_EQ(table_.write(5, frame, sizeof frame), 8);
    EXPECT_EQ(dome->received, std::string(reinterpret_cast<const char*>(frame), sizeof frame));
    EXPECT_EQ(pier->received, "");

    EXPECT_TRUE(table_.close(5));
    EXPECT_EQ(dome->closes, 1);
    EXPECT_EQ(writeText(table_, 5, "dropped"), 0);
    EXPECT_TRUE(table_.open(5));
    EXPECT_EQ(dome->opens, 2);
}

TEST_F(dvrPortTableTest, BoardWithoutRS485GetsNoPort) {
    ASSERT_NE(addBoard("Plain", false), nullptr);
    ASSERT_NE(addBoard("Dome485"), nullptr);
    EXPECT_EQ(table_.findOrAddBoardPort("Plain"), -1);
    EXPECT_TRUE(log_.contains("There's no RS485 control on device Plain!")) << log_.all();
    EXPECT_EQ(table_.kind(5), dvrPortTable::Kind::none);
    EXPECT_EQ(table_.findOrAddBoardPort("Dome485"), 5);
}

// Only an exact board name gets a port: never the first board for an empty name, never a board
// whose name merely contains the text.
TEST_F(dvrPortTableTest, NamesThatAreNotExactlyABoardGetNoPort) {
    LineBoard* dome = addBoard("Dome485");
    ASSERT_NE(dome, nullptr);
    for (const std::string& name :
         {std::string(), std::string("Dome"), std::string("485"), std::string("Missing"),
          std::string(dvrPortTable::maximumBoardNameLength + 1, 'D')}) {
        EXPECT_EQ(table_.findOrAddBoardPort(name), -1) << '"' << name << '"';
    }
    EXPECT_EQ(dome->opens, 0);
    EXPECT_EQ(countOf(log_, "COMPORT ADDED"), 0);
    for (int port = 1; port <= dvrPortTable::portCount; ++port)
        EXPECT_EQ(table_.kind(port), dvrPortTable::Kind::none) << port;
}

// Board ports never take ports 1-4 nor a port configured otherwise, and use every other port up to 32.
TEST_F(dvrPortTableTest, BoardPortsUseEveryPortFromFiveOn) {
    table_.configure(5, dvrPortTable::Kind::com, 9600);
    std::vector<std::string> names;
    for (int port = 6; port <= dvrPortTable::portCount + 1; ++port) {
        names.push_back("Line" + std::to_string(port));
        ASSERT_NE(addBoard(names.back()), nullptr);
    }
    for (int port = 6; port <= dvrPortTable::portCount; ++port)
        EXPECT_EQ(table_.findOrAddBoardPort(names[static_cast<std::size_t>(port - 6)]), port);
    EXPECT_EQ(table_.findOrAddBoardPort(names.back()), -1);
    EXPECT_EQ(countOf(log_, "COMPORT ADDED"), dvrPortTable::portCount - 5);
    for (int port = 1; port <= dvrPortTable::settingPortCount; ++port)
        EXPECT_EQ(table_.kind(port), dvrPortTable::Kind::none) << port;
    EXPECT_EQ(table_.kind(5), dvrPortTable::Kind::com);
}

// A deleted board is never reached through its port. A new board of that name is reached only once
// the port opens on it, and a port whose board is gone for good is given up.
TEST_F(dvrPortTableTest, BoardPortNeverReachesADeletedBoard) {
    ASSERT_NE(addBoard("Dome485"), nullptr);
    ASSERT_EQ(table_.findOrAddBoardPort("Dome485"), 5);
    ASSERT_TRUE(boards_.deleteBoard("Dome485"));
    EXPECT_FALSE(table_.isOpen(5));
    EXPECT_EQ(writeText(table_, 5, "nowhere"), 0);

    LineBoard* replacement = addBoard("Dome485");
    ASSERT_NE(replacement, nullptr);
    EXPECT_EQ(writeText(table_, 5, "unopened"), 0);
    EXPECT_EQ(table_.findOrAddBoardPort("Dome485"), 5);
    EXPECT_EQ(replacement->opens, 1);
    EXPECT_EQ(writeText(table_, 5, "here"), 4);
    EXPECT_EQ(replacement->received, "here");

    ASSERT_TRUE(boards_.deleteBoard("Dome485"));
    EXPECT_EQ(table_.findOrAddBoardPort("Dome485"), -1);
    EXPECT_EQ(table_.kind(5), dvrPortTable::Kind::none);
}

TEST_F(dvrPortTableTest, DestroyingTheTableClosesItsPorts) {
    LineBoard* dome = addBoard("Dome485");
    ASSERT_NE(dome, nullptr);
    {
        dvrPortTable table;
        prepare(table);
        ASSERT_TRUE(table.configure(linePort, dvrPortTable::Kind::com, 9600));
        ASSERT_EQ(table.findOrAddBoardPort("Dome485"), 5);
        EXPECT_TRUE(heldExclusively(line_));
    }
    EXPECT_EQ(dome->closes, 1);
    EXPECT_FALSE(heldExclusively(line_));
}

} // namespace
