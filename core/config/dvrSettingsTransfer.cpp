#include "config/dvrSettingsTransfer.h"

#include "console/dvrConsole.h"
#include "dialog/dvrUserInterface.h"
#include "language/dvrCatalogueFormat.h"
#include "language/dvrTranslation.h"
#include "log/dvrLog.h"

namespace {

std::string wildcard() {
    return dvrCatalogueFormat::compose(dvrCatalogueFormat::lookUp("%s (*.mrd)|*.mrd"),
                                       dvrTranslation::translate("Settings").c_str());
}

// The line is logged as data: a "%" in a chosen path is just a character.
int runLogged(dvrConsole& console, const std::string& line) {
    logMessage("%s\n", line.c_str());
    return console.run(line);
}

} // namespace

bool dvrSettingsTransfer::exportSettings(dvrUserInterface& userInterface, dvrConsole& console) {
    auto chosen = userInterface.chooseFile(dvrTranslation::translate("Export settings"), wildcard(), true);
    if (!chosen)
        return false;
    return runLogged(console, "savesettings " + chosen->path()) != 0;
}

bool dvrSettingsTransfer::importSettings(dvrUserInterface& userInterface, dvrConsole& console) {
    userInterface.showMessage(
        dvrTranslation::translate("Import settings"),
        dvrTranslation::translate(
            "Warning! Loading other settings will merge them with the current\nconfiguration. "
            "If you experience any problems, try removing all capturing devices first.\n"),
        dvrUserInterface::Icon::warning);
    auto chosen = userInterface.chooseFile(dvrTranslation::translate("Import settings"), wildcard(), false);
    if (!chosen)
        return false;
    userInterface.beginProgress(dvrTranslation::translate("Import settings"),
                                dvrTranslation::translate("Applying settings..."));
    console.run("stop");
    userInterface.updateProgress(30);
    int result = runLogged(console, "run " + chosen->path());
    userInterface.updateProgress(50);
    console.run("start");
    userInterface.updateProgress(100);
    userInterface.endProgress();
    return result != 0;
}
