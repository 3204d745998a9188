#include "dvrWatchedProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr std::size_t maximumStatLength = 4096;

bool readStat(pid_t pid, std::string& stat) {
    std::string path = "/proc/" + std::to_string(pid) + "/stat";
    int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    char buffer[maximumStatLength];
    std::size_t filled = 0;
    while (filled < sizeof buffer) {
        ssize_t n = ::read(descriptor, buffer + filled, sizeof buffer - filled);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        filled += static_cast<std::size_t>(n);
    }
    ::close(descriptor);
    stat.assign(buffer, filled);
    return filled > 0;
}

} // namespace

bool dvrWatchedProcess::parseStat(const std::string& stat, unsigned long long& startTime, bool& ended) {
    // The name in parentheses may hold blanks and parentheses itself: the fields follow the
    // last ')'. Field 3 is the state, field 22 the start time.
    std::size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return false;
    std::size_t position = close + 1;
    std::string state;
    for (int field = 3; field <= 22; ++field) {
        while (position < stat.size() && stat[position] == ' ')
            ++position;
        std::size_t end = stat.find(' ', position);
        if (end == std::string::npos)
            end = stat.size();
        if (end == position)
            return false;
        std::string value = stat.substr(position, end - position);
        if (field == 3) {
            state = value;
        } else if (field == 22) {
            char* rest = nullptr;
            errno = 0;
            startTime = std::strtoull(value.c_str(), &rest, 10);
            if (errno != 0 || rest == value.c_str() || (*rest != '\0' && *rest != '\n'))
                return false;
        }
        position = end;
    }
    ended = state == "Z" || state == "X" || state == "x";
    return true;
}

bool dvrWatchedProcess::ofProcess(pid_t pid, dvrWatchedProcess& process) {
    std::string stat;
    unsigned long long startTime = 0;
    bool ended = false;
    if (pid <= 0 || !readStat(pid, stat) || !parseStat(stat, startTime, ended) || ended)
        return false;
    process.pid_ = pid;
    process.startTime_ = startTime;
    return true;
}

bool dvrWatchedProcess::isRunning() const {
    std::string stat;
    unsigned long long startTime = 0;
    bool ended = false;
    if (pid_ <= 0 || !readStat(pid_, stat) || !parseStat(stat, startTime, ended))
        return false;
    return startTime == startTime_ && !ended;
}

bool dvrWatchedProcess::killAndWait(std::chrono::milliseconds patience) const {
    if (!isRunning())
        return true;
    ::kill(pid_, SIGKILL);
    const auto step = std::chrono::milliseconds(20);
    for (auto waited = std::chrono::milliseconds(0); waited < patience; waited += step) {
        if (!isRunning())
            return true;
        std::this_thread::sleep_for(step);
    }
    return !isRunning();
}
