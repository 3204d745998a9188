#include "dvrHeadlessRecorder.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "console/dvrConsole.h"
#include "log/dvrLog.h"
#include "settings/dvrGlobalSettings.h"
#include "text/dvrText.h"

namespace {

// Self-pipe: the signal handler only writes one byte; the main loop does the work.
int signalPipe[2] = {-1, -1};

void onSignal(int) {
    int saved = errno;
    if (signalPipe[1] >= 0) {
        char byte = 1;
        [[maybe_unused]] ssize_t written = write(signalPipe[1], &byte, 1);
    }
    errno = saved;
}

} // namespace

dvrHeadlessRecorder::dvrHeadlessRecorder(int inputDescriptor, dvrApplication::Options options)
    : input_(inputDescriptor), application_(std::move(options)), userInterface_(STDERR_FILENO) {}

dvrHeadlessRecorder::~dvrHeadlessRecorder() { shutDown(); }

void dvrHeadlessRecorder::installSignalHandlers() {
    if (signalPipe[0] < 0 && pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        logError("[CORE] Cannot create the signal pipe; signals end the program at once.\n");
        return;
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A peer that closes its socket must not kill the recorder.
    signal(SIGPIPE, SIG_IGN);
}

bool dvrHeadlessRecorder::startUp() {
    if (started_)
        return true;
    dvrUserInterface::install(&userInterface_);
    if (!application_.initialise()) {
        dvrUserInterface::install(nullptr);
        return false;
    }
    started_ = true;
    // Without windows the beep is the terminal's bell.
    if (dvrConsole* console = dvrConsole::instance())
        console->setHandler("Beep", [](const dvrCommand&) {
            if (isatty(STDOUT_FILENO)) {
                [[maybe_unused]] ssize_t written = write(STDOUT_FILENO, "\a", 1);
            }
            return 1;
        });
    logMessage("[CORE] Recorder running without windows.\n");
    return true;
}

int dvrHeadlessRecorder::runUntilQuit() {
    using Clock = std::chrono::steady_clock;
    auto nextRefresh = Clock::now();
    while (!application_.isQuitting()) {
        application_.reapChildren();
        application_.reportMainLoopAlive();
        auto now = Clock::now();
        if (now >= nextRefresh) {
            if (dvrConsole* console = dvrConsole::instance())
                console->run("Refresh");
            nextRefresh = now + std::chrono::milliseconds(refreshIntervalMilliseconds);
            continue;
        }
        int timeout = static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(nextRefresh - now).count() + 1);
        pollfd descriptors[2] = {{signalPipe[0], POLLIN, 0}, {inputOpen_ ? input_ : -1, POLLIN, 0}};
        int ready = poll(descriptors, 2, timeout);
        if (ready < 0 && errno != EINTR) {
            logError("[CORE] Main loop cannot wait for input.\n");
            return 1;
        }
        if (ready <= 0)
            continue;
        if (descriptors[0].revents & POLLIN) {
            char bytes[16];
            while (read(signalPipe[0], bytes, sizeof bytes) > 0) {
            }
            if (dvrConsole* console = dvrConsole::instance())
                console->run("quit");
            else
                return 0;
        }
        if (descriptors[1].revents & (POLLIN | POLLHUP | POLLERR))
            readInput();
    }
    return 0;
}

void dvrHeadlessRecorder::readInput() {
    char buffer[4096];
    ssize_t count = read(input_, buffer, sizeof buffer);
    if (count < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (count <= 0) {
        // End of input does not stop the recorder; it goes on until told to quit.
        if (!pending_.empty() && !discardingLongLine_)
            runInputLine(std::move(pending_));
        pending_.clear();
        inputOpen_ = false;
        return;
    }
    for (ssize_t i = 0; i < count && !application_.isQuitting(); ++i) {
        char c = buffer[i];
        if (c == '\n') {
            if (!discardingLongLine_)
                runInputLine(std::move(pending_));
            pending_.clear();
            discardingLongLine_ = false;
        } else if (!discardingLongLine_) {
            if (pending_.size() >= maximumInputLineLength) {
                logError("[CORE] Command line longer than %zu characters, ignored.\n", maximumInputLineLength);
                pending_.clear();
                discardingLongLine_ = true;
            } else {
                pending_.push_back(c);
            }
        }
    }
}

void dvrHeadlessRecorder::runInputLine(std::string line) {
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line.empty())
        return;
    if (dvrConsole* console = dvrConsole::instance())
        console->run(line);
}

void dvrHeadlessRecorder::shutDown() {
    if (!started_)
        return;
    started_ = false;
    application_.shutDown();
    if (dvrUserInterface::instance() == &userInterface_)
        dvrUserInterface::install(nullptr);
}
