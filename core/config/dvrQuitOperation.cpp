#include "config/dvrQuitOperation.h"

#include "config/dvrConfigurationWriter.h"
#include "console/dvrConsole.h"
#include "dialog/dvrUserInterface.h"
#include "language/dvrTranslation.h"
#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingSet.h"

namespace {
using Answer = dvrUserInterface::Answer;
using Buttons = dvrUserInterface::Buttons;

int saveMode() {
    dvrSettingSet* global = dvrGlobalSettings::instance();
    return global ? global->getInt("savemode") : dvrQuitOperation::manually;
}
} // namespace

bool dvrQuitOperation::saveStandardFile(dvrConsole& console) {
    std::string directory = console.settingsDirectory();
    return console.run("savesettings " + (directory.empty() ? std::string(".") : directory) +
                       "/settings.mrd") != 0;
}

bool dvrQuitOperation::run(dvrUserInterface& userInterface, dvrConsole& console) {
    const std::string title = dvrConfigurationWriter::programName;
    switch (saveMode()) {
    case automatically:
        saveStandardFile(console);
        break;
    case askOnExit: {
        Answer answer = userInterface.ask(
            title,
            dvrTranslation::translate(
                "Quitting. Save settings?\nPlease note that shutting down the program will stop "
                "all recording!"),
            Buttons::yesNoCancel, Answer::cancel);
        if (answer == Answer::cancel)
            return false;
        if (answer == Answer::yes)
            saveStandardFile(console);
        break;
    }
    default:
        // "Manually" means what its help text says: nothing is saved on the way out.
        if (userInterface.ask(title, dvrTranslation::translate("Really quit?"), Buttons::yesNo, Answer::no) !=
            Answer::yes)
            return false;
        break;
    }
    console.run("quit");
    return true;
}
