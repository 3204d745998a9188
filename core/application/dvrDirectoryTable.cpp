#include "dvrDirectoryTable.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <unistd.h>

namespace {

std::mutex tableLock;
std::string startDirectoryPath;
std::map<int, std::string> computed;

std::string forwardSlashes(std::string path) {
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

std::string executableDirectory() {
    std::string path(4096, '\0');
    ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0)
        return ".";
    path.resize(static_cast<std::size_t>(length));
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

} // namespace

void dvrDirectoryTable::setStartDirectory(const std::string& path) {
    std::lock_guard<std::mutex> guard(tableLock);
    startDirectoryPath = forwardSlashes(path);
    computed.clear();
}

std::string dvrDirectoryTable::startDirectory() {
    std::lock_guard<std::mutex> guard(tableLock);
    if (startDirectoryPath.empty())
        startDirectoryPath = forwardSlashes(dvrDirectoryTable::currentDirectory());
    return startDirectoryPath;
}

std::string dvrDirectoryTable::currentDirectory() {
    std::string path(4096, '\0');
    while (getcwd(path.data(), path.size()) == nullptr) {
        if (errno != ERANGE)
            return ".";
        path.resize(path.size() * 2);
    }
    path.resize(path.find('\0'));
    return path;
}

std::string dvrDirectoryTable::programDirectory() { return forwardSlashes(executableDirectory()); }

std::string dvrDirectoryTable::pattern(int number) {
    switch (number) {
    case settings:
    case program:
        return "$";
    case help:
        return "$/help";
    case gallery:
        return "$/Gallery";
    case layouts:
        return "$/Layouts";
    case languages:
        return "$/languages";
    case images:
        return "$/resources/images";
    case icons:
        return "$/resources/icons";
    case buttons:
        return "$/resources/buttons";
    case sounds:
        return "$/resources/sounds";
    case pollFile:
        return "$/__poll";
    case recordingDirectory:
        return "%s:/capture";
    case recordingPageFile:
        return "%s:/capture/mrd%s.tt";
    default:
        return "";
    }
}

std::string dvrDirectoryTable::directory(int number) {
    {
        std::lock_guard<std::mutex> guard(tableLock);
        auto known = computed.find(number);
        if (known != computed.end())
            return known->second;
    }
    std::string text = pattern(number);
    if (!text.empty()) {
        if (text[0] == '$') {
            text = startDirectory() + text.substr(1);
        } else if (text[0] == '@') {
            text = programDirectory() + text.substr(1);
        } else if (text[0] == '~') {
            const char* home = std::getenv("HOME");
            text = std::string(home && *home ? home : "/") + text.substr(1);
        }
    }
    std::lock_guard<std::mutex> guard(tableLock);
    computed[number] = text;
    return text;
}
