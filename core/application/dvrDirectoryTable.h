#pragma once

#include <string>

// Every file location of the program comes from a numbered template: "$" is the working
// directory at start-up, "@" the program's own directory, "~" the home directory.
class dvrDirectoryTable {
public:
    static constexpr int settings = 101;
    static constexpr int help = 102;
    static constexpr int gallery = 103;
    static constexpr int layouts = 104;
    static constexpr int languages = 105;
    static constexpr int program = 106;
    static constexpr int images = 108;
    static constexpr int icons = 109;
    static constexpr int buttons = 110;
    static constexpr int sounds = 111;
    static constexpr int pollFile = 112;
    static constexpr int recordingDirectory = 114;
    static constexpr int recordingPageFile = 115;

    // Remembers the working directory for "$" and forgets every computed entry. Called once at
    // start-up (tests call it again for their own directories).
    static void setStartDirectory(const std::string& path);
    static std::string startDirectory();
    // The text for a number; "" for an unknown number. Computed once per number.
    static std::string directory(int number);
    // The process's working directory now.
    static std::string currentDirectory();
    // The directory of the running program ("@").
    static std::string programDirectory();
    // The template of a number, before its first character is replaced.
    static std::string pattern(int number);
};
