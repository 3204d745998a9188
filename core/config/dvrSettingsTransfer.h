#pragma once

class dvrConsole;
class dvrUserInterface;

// "Export settings" and "Import settings" of the setup window. Export saves the configuration
// script to a file the user picks; import runs another script on top of the current
// configuration (a merge: nothing is removed first).
class dvrSettingsTransfer {
public:
    // False when the user cancelled or the save failed.
    static bool exportSettings(dvrUserInterface& userInterface, dvrConsole& console);
    // False when the user cancelled or the script could not be run.
    static bool importSettings(dvrUserInterface& userInterface, dvrConsole& console);
};
