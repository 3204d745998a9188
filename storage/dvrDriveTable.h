#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One recording drive: the letter stored in the index, how many page files it holds and the
// directory that stands for the drive (a mount point, or a folder under the settings directory).
struct dvrDrive {
    char letter = 0;
    std::uint32_t pageFileCount = 0;
    std::string root;
    // True when the line named the root itself (a mount point): such a root is never created,
    // so an unmounted disk is not filled in its place.
    bool explicitRoot = false;
};

// The drive description file "mirdal.drv": two lines per drive (the letter, optionally followed
// by the drive's root directory, then the page file count), ended by a line starting with "#"
// or by the end of the file.
class dvrDriveTable {
public:
    static constexpr std::size_t maximumDrives = 16;
    // Longest line read; longer lines are refused whole rather than split.
    static constexpr std::size_t maximumLineLength = 4096;
    static constexpr const char* fileName = "mirdal.drv";

    // Reads the text of a description file. Roots not named in the file become
    // settingsDirectory + "/drives/" + the letter in lower case. False (with the reason logged)
    // when the text cannot describe a store; drives() is then empty.
    bool parse(std::string_view text, const std::string& settingsDirectory);
    // Reads the file; false when it cannot be read or parsed.
    bool load(const std::string& path, const std::string& settingsDirectory);

    const std::vector<dvrDrive>& drives() const { return drives_; }
    // The index of the first drive whose letter matches without regard to case, or -1.
    int find(char letter) const;

    // "<root>/capture" and "<root>/capture/mrd0007.tt".
    static std::string recordingDirectory(const dvrDrive& drive);
    static std::string pageFilePath(const dvrDrive& drive, std::uint32_t page);
    // The index database of the whole store: in the recording directory of drive d, whether or
    // not the table lists d.
    std::string indexDatabasePath(const std::string& settingsDirectory) const;
    static std::string defaultRoot(char letter, const std::string& settingsDirectory);

private:
    std::vector<dvrDrive> drives_;
};
