#include "dvrDriveTable.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "log/dvrLog.h"

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

bool isBlank(std::string_view line) { return trimmed(line).empty(); }

// Splits the text into lines without their ends; "\r\n" counts as one end.
std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::uint32_t countOf(std::string_view line) {
    // Leading digits as atoi reads them; anything else is 0.
    std::string digits(trimmed(line));
    long value = std::atol(digits.c_str());
    if (value < 0)
        return 0;
    return value > 1000000 ? 1000000u : static_cast<std::uint32_t>(value);
}

} // namespace

bool dvrDriveTable::parse(std::string_view text, const std::string& settingsDirectory) {
    drives_.clear();
    std::vector<std::string_view> lines = linesOf(text);
    std::size_t index = 0;
    auto nextLine = [&](std::string_view& line) {
        // Blank lines carry nothing: they never name a drive or a count.
        while (index < lines.size()) {
            line = lines[index++];
            if (line.size() > maximumLineLength) {
                logWarning("[FILESYSTEM] Line %zu of %s is longer than %zu characters; ignored.\n", index, fileName,
                           maximumLineLength);
                continue;
            }
            if (!isBlank(line))
                return true;
        }
        return false;
    };

    std::string_view line;
    while (nextLine(line)) {
        if (line.front() == '#')
            break;
        const char letter = line.front();
        if (!std::isalpha(static_cast<unsigned char>(letter))) {
            logWarning("[FILESYSTEM] Line %zu of %s does not start with a drive letter; ignored.\n", index, fileName);
            continue;
        }
        dvrDrive drive;
        drive.letter = letter;
        std::string_view rest = trimmed(line.substr(1));
        if (!rest.empty() && rest.front() == ':')
            rest = trimmed(rest.substr(1));
        if (!rest.empty()) {
            drive.root = std::string(rest);
            while (drive.root.size() > 1 && drive.root.back() == '/')
                drive.root.pop_back();
            drive.explicitRoot = true;
        } else {
            drive.root = defaultRoot(letter, settingsDirectory);
        }
        std::string_view countLine;
        if (!nextLine(countLine) || countLine.front() == '#') {
            logError("File system configuration file is corrupted!");
            drives_.clear();
            return false;
        }
        drive.pageFileCount = countOf(countLine);
        if (drive.pageFileCount == 0)
            logMessage("Invalid page file count for drive %c!", letter);
        if (drives_.size() == maximumDrives) {
            logWarning("[FILESYSTEM] %s lists more than %zu drives; drive %c and the ones after it are refused.\n",
                       fileName, maximumDrives, letter);
            break;
        }
        drives_.push_back(std::move(drive));
    }
    if (drives_.empty()) {
        logWarning("[FILESYSTEM] %s lists no drive.\n", fileName);
        return false;
    }
    return true;
}

bool dvrDriveTable::load(const std::string& path, const std::string& settingsDirectory) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        drives_.clear();
        return false;
    }
    // A description file is a few lines; anything bigger is not one.
    constexpr std::size_t maximumFileSize = 1 << 20;
    std::string text(maximumFileSize + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    if (text.size() > maximumFileSize) {
        logError("[FILESYSTEM] %s is larger than %zu bytes; it is not a drive description.\n", path.c_str(),
                 maximumFileSize);
        drives_.clear();
        return false;
    }
    return parse(text, settingsDirectory);
}

int dvrDriveTable::find(char letter) const {
    for (std::size_t i = 0; i < drives_.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(drives_[i].letter)) == std::tolower(static_cast<unsigned char>(letter)))
            return static_cast<int>(i);
    return -1;
}

std::string dvrDriveTable::recordingDirectory(const dvrDrive& drive) { return drive.root + "/capture"; }

std::string dvrDriveTable::pageFilePath(const dvrDrive& drive, std::uint32_t page) {
    char number[16];
    std::snprintf(number, sizeof number, "%04u", page);
    return recordingDirectory(drive) + "/mrd" + number + ".tt";
}

std::string dvrDriveTable::indexDatabasePath(const std::string& settingsDirectory) const {
    int d = find('d');
    dvrDrive drive;
    if (d >= 0)
        drive = drives_[static_cast<std::size_t>(d)];
    else
        drive.root = defaultRoot('d', settingsDirectory);
    return recordingDirectory(drive) + "/index.db";
}

std::string dvrDriveTable::defaultRoot(char letter, const std::string& settingsDirectory) {
    return settingsDirectory + "/drives/" +
           static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
}
