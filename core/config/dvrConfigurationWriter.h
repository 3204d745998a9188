#pragma once

#include <string>

// Writes the configuration script: a fresh script of command lines that, run on an empty system,
// recreates the global settings, boards, cameras, users, rules and language of this moment.
class dvrConfigurationWriter {
public:
    static constexpr const char* programName = "Mirdal DVR";

    // The whole script text.
    static std::string compose();
    // The "SaveSettings" command: writes the script to path exactly as given. On failure the
    // error is logged and an existing file at path keeps its old contents.
    static bool save(const std::string& path);
};
