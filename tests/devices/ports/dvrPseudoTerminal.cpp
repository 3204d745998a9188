#include "dvrPseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace {

std::string readBounded(int descriptor, std::size_t count) {
    std::string received;
    char buffer[4096];
    while (received.size() < count) {
        pollfd ready{descriptor, POLLIN, 0};
        if (::poll(&ready, 1, dvrPseudoTerminal::safetyLimitMilliseconds) <= 0)
            break;
        std::size_t wanted = std::min(sizeof buffer, count - received.size());
        ssize_t got = ::read(descriptor, buffer, wanted);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0)
            break;
        received.append(buffer, static_cast<std::size_t>(got));
    }
    return received;
}

} // namespace

dvrPseudoTerminal::dvrPseudoTerminal() {
    char path[256] = {};
    if (::openpty(&farEnd_, &portSide_, path, nullptr, nullptr) != 0) {
        farEnd_ = portSide_ = -1;
        return;
    }
    // A terminal's usual line discipline (canonical input, output and flow-control processing),
    // without echo, so nothing the far end sends comes back to it.
    termios line{};
    ::tcgetattr(portSide_, &line);
    line.c_iflag |= ICRNL | IXON;
    line.c_oflag |= OPOST | ONLCR;
    line.c_lflag |= ICANON | ISIG;
    line.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL);
    cfsetspeed(&line, B300);
    ::tcsetattr(portSide_, TCSANOW, &line);
    portPath_ = path;
    ::fcntl(portSide_, F_SETFL, ::fcntl(portSide_, F_GETFL) | O_NONBLOCK);
    ::fcntl(farEnd_, F_SETFL, ::fcntl(farEnd_, F_GETFL) | O_NONBLOCK);
}

dvrPseudoTerminal::~dvrPseudoTerminal() {
    if (portSide_ >= 0)
        ::close(portSide_);
    if (farEnd_ >= 0)
        ::close(farEnd_);
}

std::string dvrPseudoTerminal::readAtFarEnd(std::size_t count) {
    return readBounded(farEnd_, count);
}

std::string dvrPseudoTerminal::readAtPortSide(std::size_t count) {
    return readBounded(portSide_, count);
}

bool dvrPseudoTerminal::sendFromFarEnd(std::string_view bytes) {
    return ::write(farEnd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

std::size_t dvrPseudoTerminal::fillUntilBlocked() {
    std::vector<char> block(4096, 'f');
    std::size_t taken = 0;
    for (;;) {
        ssize_t written = ::write(portSide_, block.data(), block.size());
        if (written > 0) {
            taken += static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            return taken;
        // The kernel moves queued bytes on in the background and may make room again; the line is
        // full once it stays unwritable for a while.
        pollfd ready{portSide_, POLLOUT, 0};
        if (::poll(&ready, 1, 200) <= 0)
            return taken;
    }
}

void dvrPseudoTerminal::hangUp() {
    if (farEnd_ >= 0)
        ::close(farEnd_);
    farEnd_ = -1;
}
