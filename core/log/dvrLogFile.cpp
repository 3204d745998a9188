#include "log/dvrLogFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "language/dvrTranslation.h"

namespace {

std::mutex programLogLock;
dvrLogFile* programLog = nullptr;

void writeWhole(int descriptor, const std::string& line) {
    std::size_t done = 0;
    while (done < line.size()) {
        ssize_t written = ::write(descriptor, line.data() + done, line.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return; // a full disk must not stop the program; the line is lost
        done += static_cast<std::size_t>(written);
    }
}

} // namespace

dvrLogFile::~dvrLogFile() {
    close();
}

bool dvrLogFile::open(const std::string& path) {
    std::lock_guard<std::mutex> guard(lock_);
    if (descriptor_ >= 0)
        ::close(descriptor_);
    descriptor_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    return descriptor_ >= 0;
}

void dvrLogFile::close() {
    std::lock_guard<std::mutex> guard(lock_);
    if (descriptor_ >= 0)
        ::close(descriptor_);
    descriptor_ = -1;
}

bool dvrLogFile::isOpen() const {
    std::lock_guard<std::mutex> guard(lock_);
    return descriptor_ >= 0;
}

void dvrLogFile::write(dvrLogSeverity severity, const std::string& text) {
    std::time_t now = std::time(nullptr);
    std::tm localTime{};
    localtime_r(&now, &localTime);
    std::string line = composeLine(severity, text, localTime);
    std::lock_guard<std::mutex> guard(lock_);
    if (descriptor_ >= 0)
        writeWhole(descriptor_, line);
}

std::string dvrLogFile::composeLine(dvrLogSeverity severity, const std::string& text,
                                    const std::tm& localTime) {
    char stamp[64];
    std::size_t stampLength = std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &localTime);
    std::string line;
    line.reserve(stampLength + text.size() + 16);
    line.append(stamp, stampLength).append(": ");
    if (severity == dvrLogSeverity::error)
        line.append(dvrTranslation::translate("Error: "));
    else if (severity == dvrLogSeverity::warning)
        line.append(dvrTranslation::translate("Warning: "));
    line.append(text).append("\n");
    return line;
}

bool dvrLogFile::openProgramLog(const std::string& directory) {
    auto file = new dvrLogFile();
    if (!file->open(directory + "/" + fileName)) {
        delete file;
        logError("%s", dvrTranslation::translate("Log file could not be opened!").c_str());
        return false;
    }
    std::lock_guard<std::mutex> guard(programLogLock);
    dvrLog::setTarget(file);
    delete programLog;
    programLog = file;
    return true;
}

void dvrLogFile::closeProgramLog() {
    std::lock_guard<std::mutex> guard(programLogLock);
    if (!programLog)
        return;
    dvrLog::setTarget(nullptr);
    delete programLog;
    programLog = nullptr;
}
