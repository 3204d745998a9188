#include <gtest/gtest.h>

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "dvrCapturedLog.h"
#include "dvrLineSpeedProbe.h"
#include "dvrPseudoTerminal.h"
#include "dvrSerialPort.h"
#include "dvrTemporaryDirectory.h"

namespace {

int writeText(dvrSerialPort& port, const std::string& text) {
    return port.write(reinterpret_cast<const std::uint8_t*>(text.data()), static_cast<int>(text.size()));
}

class dvrSerialPortTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(line_.isOpen()); }

    dvrCapturedLog log_;
    dvrPseudoTerminal line_;
};

TEST(dvrSerialPortNames, DevicePaths) {
    struct Case {
        const char* name;
        const char* path;
    };
    const Case cases[] = {
        {"COM1", "/dev/ttyS0"},
        {"com2", "/dev/ttyS1"},
        {"Com32", "/dev/ttyS31"},
        {"COM256", "/dev/ttyS255"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"/dev/pts/7", "/dev/pts/7"},
        {"COM0", ""},
        {"COM257", ""},
        {"COM0001", ""},
        {"COM", ""},
        {"CO", ""},
        {"", ""},
        {"COM-1", ""},
        {"COM 1", ""},
        {"COM1x", ""},
        {"ttyS0", ""},
        {"LPT1", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dvrSerialPort::devicePathFor(c.name), c.path) << c.name;
    EXPECT_EQ(dvrSerialPort::devicePathFor(std::string("/dev/tty\0S0", 11)), "");
    EXPECT_EQ(dvrSerialPort::devicePathFor("/" + std::string(dvrSerialPort::maximumPathLength, 'a')), "");
}

// Every offered speed reaches the line, 14400 included, always as raw 8N1 without flow control.
TEST_F(dvrSerialPortTest, OpensRawEightNoneOneAtEachOfferedSpeed) {
    for (int speed : {1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600, 115200}) {
        dvrSerialPort port;
        ASSERT_TRUE(port.open(line_.portPath(), speed)) << speed;
        EXPECT_EQ(dvrLineSpeedProbe::outputSpeed(line_.portSide()), speed);
        EXPECT_EQ(dvrLineSpeedProbe::inputSpeed(line_.portSide()), speed);
        termios line{};
        ASSERT_EQ(tcgetattr(line_.portSide(), &line), 0);
        EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
        EXPECT_NE(line.c_cflag & CLOCAL, 0u);
        EXPECT_EQ(line.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
        EXPECT_EQ(line.c_oflag & OPOST, 0u);
        EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u);
    }
}

TEST_F(dvrSerialPortTest, RefusesSpeedsNotOffered) {
    for (int speed : {0, -9600, 300, 12345, 230400}) {
        dvrSerialPort port;
        EXPECT_FALSE(port.open(line_.portPath(), speed)) << speed;
        EXPECT_FALSE(port.isOpen());
    }
    EXPECT_TRUE(log_.contains("cannot run at 12345 bit/s")) << log_.all();
    EXPECT_EQ(dvrLineSpeedProbe::outputSpeed(line_.portSide()), 300);
}

TEST_F(dvrSerialPortTest, RefusesWhatIsNotASerialLine) {
    dvrTemporaryDirectory directory;
    directory.write("not-a-line", "plain file");
    for (const std::string& name :
         {directory.file("not-a-line"), directory.file("missing"), std::string("LPT1")}) {
        dvrSerialPort port;
        EXPECT_FALSE(port.open(name, 9600)) << name;
        EXPECT_FALSE(port.isOpen());
    }
    EXPECT_TRUE(log_.contains("`LPT1' is not a serial port name.")) << log_.all();
}

// Every byte value arrives unchanged: no newline translation, no flow-control or signal bytes
// taken out.
TEST_F(dvrSerialPortTest, FarEndReceivesExactlyTheBytesWritten) {
    dvrSerialPort port;
    ASSERT_TRUE(port.open(line_.portPath(), 9600));
    std::string everyByte;
    for (int value = 0; value < 256; ++value)
        everyByte.push_back(static_cast<char>(value));
    EXPECT_EQ(writeText(port, everyByte), 256);
    EXPECT_EQ(line_.readAtFarEnd(256), everyByte);

    const std::uint8_t frame[] = {0xFF, 0x01, 0x00, 0x08, 0x00, 0x20, 0x29};
    EXPECT_EQ(port.write(frame, sizeof frame), 7);
    EXPECT_EQ(line_.readAtFarEnd(7), std::string(reinterpret_cast<const char*>(frame), 7));
}

TEST_F(dvrSerialPortTest, NothingIsWrittenWhenClosedOrAskedForNothing) {
    dvrSerialPort port;
    const std::uint8_t bytes[] = {1, 2, 3};
    EXPECT_EQ(port.write(bytes, 3), 0);
    ASSERT_TRUE(port.open(line_.portPath(), 9600));
    EXPECT_EQ(port.write(nullptr, 3), 0);
    EXPECT_EQ(port.write(bytes, 0), 0);
    EXPECT_EQ(port.write(bytes, -1), 0);
    port.close();
    EXPECT_EQ(port.write(bytes, 3), 0);
    EXPECT_EQ(writeText(port, "x"), 0);
    EXPECT_TRUE(port.open(line_.portPath(), 9600));
    EXPECT_EQ(writeText(port, "ok"), 2);
    EXPECT_EQ(line_.readAtFarEnd(2), "ok");
}

// A second opener is refused while the port is held, and may open it once it is closed.
TEST_F(dvrSerialPortTest, OpenIsExclusive) {
    dvrSerialPort first;
    dvrSerialPort second;
    ASSERT_TRUE(first.open(line_.portPath(), 9600));
    EXPECT_FALSE(second.open(line_.portPath(), 9600));
    EXPECT_FALSE(second.isOpen());
    EXPECT_TRUE(log_.contains("is in use by another holder")) << log_.all();
    EXPECT_EQ(writeText(first, "still mine"), 10);
    EXPECT_EQ(line_.readAtFarEnd(10), "still mine");

    first.close();
    int heldExclusively = 1;
    ASSERT_EQ(::ioctl(line_.portSide(), TIOCGEXCL, &heldExclusively), 0);
    EXPECT_EQ(heldExclusively, 0);
    ASSERT_TRUE(second.open(line_.portPath(), 9600));
    EXPECT_FALSE(first.open(line_.portPath(), 9600));
}

// What the far end sent before the port opened, and before each write, is thrown away; what it
// sends afterwards is kept.
TEST_F(dvrSerialPortTest, ReceivedBytesAreDiscardedOnOpenAndBeforeEachWrite) {
    ASSERT_TRUE(line_.sendFromFarEnd("before open|"));
    dvrSerialPort port;
    ASSERT_TRUE(port.open(line_.portPath(), 9600));
    ASSERT_TRUE(line_.sendFromFarEnd("after open|"));
    EXPECT_EQ(writeText(port, "w"), 1);
    ASSERT_TRUE(line_.sendFromFarEnd("after write"));
    EXPECT_EQ(line_.readAtPortSide(11), "after write");
    EXPECT_EQ(line_.readAtFarEnd(1), "w");
}

// With the far end not reading, the write gives up at its time-out and reports what it wrote.
TEST_F(dvrSerialPortTest, BlockedWriteReturnsWithTheBytesReallyWritten) {
    dvrSerialPort port;
    ASSERT_TRUE(port.open(line_.portPath(), 115200));
    ASSERT_GT(line_.fillUntilBlocked(), 0u);
    std::string frame(100, 'b');
    int written = writeText(port, frame);
    EXPECT_GE(written, 0);
    EXPECT_LT(written, 100);
}

TEST_F(dvrSerialPortTest, WriteToAHungUpLineReturnsWithNothingWritten) {
    dvrSerialPort port;
    ASSERT_TRUE(port.open(line_.portPath(), 9600));
    line_.hangUp();
    EXPECT_EQ(writeText(port, "anyone there?"), 0);
    port.close();
    EXPECT_FALSE(port.isOpen());
}

} // namespace
