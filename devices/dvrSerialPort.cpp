#include "dvrSerialPort.h"

// The kernel's termios2 interface is used instead of <termios.h>: it sets the standard speeds by
// their constants and also rates without a constant (14400 bit/s) through BOTHER, which serial
// drivers turn into the nearest divisor. The two headers cannot be mixed in one file.
#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "log/dvrLog.h"
#include "text/dvrText.h"

namespace {

struct LineSpeed {
    int bitsPerSecond;
    unsigned int constant; // BOTHER when the kernel has no constant for the rate
};

// The speeds the "com1" to "com4" settings offer, and 19200, the other common rate.
constexpr LineSpeed lineSpeeds[] = {
    {1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},     {14400, BOTHER},
    {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
};

const LineSpeed* findSpeed(int bitsPerSecond) {
    for (const LineSpeed& speed : lineSpeeds)
        if (speed.bitsPerSecond == bitsPerSecond)
            return &speed;
    return nullptr;
}

std::int64_t writeTimeoutMilliseconds(int length) {
    return static_cast<std::int64_t>(length) * dvrSerialPort::writeMillisecondsPerByte +
           dvrSerialPort::writeMillisecondsFixed;
}

} // namespace

std::string dvrSerialPort::devicePathFor(std::string_view portName) {
    if (!portName.empty() && portName.front() == '/') {
        if (portName.size() > maximumPathLength || portName.find('\0') != std::string_view::npos)
            return {};
        return std::string(portName);
    }
    constexpr std::string_view prefix = "COM";
    if (portName.size() <= prefix.size() || portName.size() > prefix.size() + 3 ||
        !dvrText::equalsIgnoringCase(portName.substr(0, prefix.size()), prefix))
        return {};
    int number = 0;
    for (char c : portName.substr(prefix.size())) {
        if (c < '0' || c > '9')
            return {};
        number = number * 10 + (c - '0');
    }
    if (number < 1 || number > highestComNumber)
        return {};
    return "/dev/ttyS" + std::to_string(number - 1);
}

bool dvrSerialPort::isSupportedSpeed(int bitsPerSecond) {
    return findSpeed(bitsPerSecond) != nullptr;
}

dvrSerialPort::~dvrSerialPort() {
    close();
}

bool dvrSerialPort::open(std::string_view portName, int bitsPerSecond) {
    close();
    std::string path = devicePathFor(portName);
    if (path.empty()) {
        std::string name = dvrText::singleLine(dvrText::cut(portName, 260));
        logMessage("[PORT] `%s' is not a serial port name.", name.c_str());
        return false;
    }
    if (!isSupportedSpeed(bitsPerSecond)) {
        logMessage("[PORT] Serial port %s cannot run at %d bit/s.", path.c_str(), bitsPerSecond);
        return false;
    }
    int descriptor = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        int error = errno;
        logMessage("[PORT] Cannot open serial port %s: %s", path.c_str(), std::strerror(error));
        return false;
    }
    // TIOCEXCL alone does not stop a privileged second opener, so an exclusive hold is checked
    // here as well.
    int heldExclusively = 0;
    if (::ioctl(descriptor, TIOCGEXCL, &heldExclusively) == 0 && heldExclusively) {
        logMessage("[PORT] Serial port %s is in use by another holder.", path.c_str());
        ::close(descriptor);
        return false;
    }
    if (::ioctl(descriptor, TIOCEXCL) != 0) {
        int error = errno;
        logMessage("[PORT] Cannot open serial port %s: %s", path.c_str(), std::strerror(error));
        ::close(descriptor);
        return false;
    }
    descriptor_ = descriptor;
    path_ = path;
    if (!configureLine(bitsPerSecond)) {
        int error = errno;
        logMessage("[PORT] Cannot set up serial port %s: %s", path.c_str(), std::strerror(error));
        close();
        return false;
    }
    ::ioctl(descriptor_, TCFLSH, TCIOFLUSH);
    return true;
}

bool dvrSerialPort::configureLine(int bitsPerSecond) {
    const LineSpeed* speed = findSpeed(bitsPerSecond);
    struct termios2 line {};
    if (!speed || ::ioctl(descriptor_, TCGETS2, &line) != 0)
        return false;
    line.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    line.c_oflag &= ~OPOST;
    line.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    // Clearing the input speed bits makes the input speed follow the output speed.
    line.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
    line.c_cflag |= CS8 | CREAD | CLOCAL | speed->constant;
    line.c_ispeed = static_cast<speed_t>(bitsPerSecond);
    line.c_ospeed = static_cast<speed_t>(bitsPerSecond);
    // Reads return at once with whatever is there.
    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = 0;
    return ::ioctl(descriptor_, TCSETS2, &line) == 0;
}

int dvrSerialPort::write(const std::uint8_t* bytes, int length) {
    if (!isOpen() || !bytes || length <= 0)
        return 0;
    length = std::min(length, maximumWriteLength);
    ::ioctl(descriptor_, TCFLSH, TCIFLUSH);

    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(writeTimeoutMilliseconds(length));
    int written = 0;
    while (written < length) {
        ssize_t count = ::write(descriptor_, bytes + written, static_cast<std::size_t>(length - written));
        if (count > 0) {
            written += static_cast<int>(count);
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            int error = errno;
            logVerbose("[PORT] Write to serial port %s failed: %s", path_.c_str(), std::strerror(error));
            break;
        }
        auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (remaining <= 0)
            break;
        pollfd ready{descriptor_, POLLOUT, 0};
        int result = ::poll(&ready, 1, static_cast<int>(std::min<std::int64_t>(remaining, 1 << 30)));
        if (result < 0 && errno == EINTR)
            continue;
        if (result <= 0 || !(ready.revents & POLLOUT))
            break;
    }
    if (written < length)
        logVerbose("[PORT] Serial port %s took only %d of %d bytes.", path_.c_str(), written, length);
    return written;
}

void dvrSerialPort::close() {
    if (descriptor_ < 0)
        return;
    // The exclusive mark stays on the device while others still hold it open; clear it so this
    // program can open the port again.
    ::ioctl(descriptor_, TIOCNXCL);
    ::close(descriptor_);
    descriptor_ = -1;
    path_.clear();
}
