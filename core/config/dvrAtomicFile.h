#pragma once

#include <string>
#include <string_view>

// Replaces a file's contents so that, whatever happens (full disk, crash, power cut), the file
// holds either its old contents or the new ones, never a part: the new contents go to a
// temporary file in the same directory, are synced to the disk, and the temporary file is then
// renamed over the old one.
class dvrAtomicFile {
public:
    // Prefix of the temporary file's name in the target's directory.
    static constexpr const char* temporaryPrefix = ".mirdal-save-";

    // False when the new contents could not be written completely; the old file is then
    // untouched and no temporary file is left. An existing file keeps its permissions; a new one
    // is readable by its owner only, since configurations hold password data.
    static bool replace(const std::string& path, std::string_view contents);
};
