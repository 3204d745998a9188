#pragma once

class dvrConsole;
class dvrUserInterface;

// Quitting from the main window, after the user passed the rights check: the global setting
// "savemode" decides whether the configuration is saved first. Quitting any other way ("quit"
// from a script, the console, a remote client, a signal) never saves.
class dvrQuitOperation {
public:
    enum SaveMode { manually = 0, askOnExit = 1, automatically = 2 };

    // Asks what the save mode asks, saves the standard file when it says so, then runs "quit".
    // Returns false when the user called the quitting off.
    static bool run(dvrUserInterface& userInterface, dvrConsole& console);

    // Runs "savesettings <settings directory>/settings.mrd"; the result of the save.
    static bool saveStandardFile(dvrConsole& console);
};
