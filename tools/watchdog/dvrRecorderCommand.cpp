#include "dvrRecorderCommand.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

#include "text/dvrText.h"

namespace {

std::string errorText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

bool readLink(const std::string& link, std::string& target, std::string& problem) {
    char buffer[dvrRecorderCommand::maximumPathLength + 1];
    ssize_t length = ::readlink(link.c_str(), buffer, sizeof buffer);
    if (length < 0) {
        problem = "cannot read " + link + ": " + errorText(errno);
        return false;
    }
    if (static_cast<std::size_t>(length) >= sizeof buffer) {
        problem = link + " is too long";
        return false;
    }
    target.assign(buffer, static_cast<std::size_t>(length));
    return true;
}

// Reads at most limit + 1 bytes, so a longer file is recognised without reading all of it.
bool readBounded(const std::string& path, std::size_t limit, std::string& contents, std::string& problem) {
    int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        problem = "cannot open " + path + ": " + errorText(errno);
        return false;
    }
    contents.assign(limit + 1, '\0');
    std::size_t filled = 0;
    bool failed = false;
    while (filled < contents.size()) {
        ssize_t n = ::read(descriptor, contents.data() + filled, contents.size() - filled);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            problem = "cannot read " + path + ": " + errorText(errno);
            failed = true;
        }
        if (n <= 0)
            break;
        filled += static_cast<std::size_t>(n);
    }
    ::close(descriptor);
    contents.resize(filled);
    if (!failed && filled > limit) {
        problem = path + " is longer than " + std::to_string(limit) + " bytes";
        failed = true;
    }
    return !failed;
}

} // namespace

bool dvrRecorderCommand::ofProcess(pid_t pid, dvrRecorderCommand& command, std::string& problem) {
    const std::string base = "/proc/" + std::to_string(pid);
    dvrRecorderCommand read;
    std::string bytes;
    if (!readLink(base + "/exe", read.executable_, problem) ||
        !readLink(base + "/cwd", read.workingDirectory_, problem) ||
        !readBounded(base + "/cmdline", maximumCommandLineLength, bytes, problem) ||
        !splitCommandLine(bytes, read.arguments_, problem))
        return false;
    // A program replaced on disk (an update) shows as "path (deleted)"; the new file at the
    // same path is what should run.
    const std::string_view deleted = " (deleted)";
    if (read.executable_.size() > deleted.size() && read.executable_.ends_with(deleted))
        read.executable_.resize(read.executable_.size() - deleted.size());
    command = std::move(read);
    return true;
}

bool dvrRecorderCommand::splitCommandLine(std::string_view bytes, std::vector<std::string>& arguments,
                                          std::string& problem) {
    if (bytes.empty()) {
        problem = "the command line is empty";
        return false;
    }
    if (bytes.size() > maximumCommandLineLength) {
        problem = "the command line is too long";
        return false;
    }
    // A process may have rewritten its arguments without the final NUL; the rest still counts.
    if (bytes.back() == '\0')
        bytes.remove_suffix(1);
    std::vector<std::string> split;
    while (true) {
        if (split.size() == maximumArgumentCount) {
            problem = "the command line has more than " + std::to_string(maximumArgumentCount) + " arguments";
            return false;
        }
        std::size_t end = bytes.find('\0');
        split.emplace_back(bytes.substr(0, end));
        if (end == std::string_view::npos)
            break;
        bytes.remove_prefix(end + 1);
    }
    arguments = std::move(split);
    return true;
}

std::string dvrRecorderCommand::description() const {
    std::string text = dvrText::singleLine(executable_);
    text += " [";
    for (std::size_t i = 0; i < arguments_.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += "\"" + dvrText::singleLine(arguments_[i]) + "\"";
    }
    text += "] in " + dvrText::singleLine(workingDirectory_);
    return text;
}
