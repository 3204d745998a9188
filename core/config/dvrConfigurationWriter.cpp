#include "config/dvrConfigurationWriter.h"

#include <vector>

#include "config/dvrAtomicFile.h"
#include "config/dvrCommentFilter.h"
#include "config/dvrConfigurationSections.h"
#include "language/dvrCatalogueFormat.h"
#include "language/dvrTranslation.h"
#include "log/dvrLog.h"
#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingSet.h"
#include "text/dvrText.h"

namespace {

// A section title or header, translated and kept a comment.
std::string title(const char* text) {
    return dvrCommentFilter::apply(dvrTranslation::translate(text));
}

std::string header() {
    return dvrCommentFilter::apply(dvrCatalogueFormat::compose(
        dvrCatalogueFormat::lookUp(
            "###### Configuration file for %s\n# Written automatically by the program, please do not\n"
            "# alter unless you really know what you're doing.\n# In emergencies, contact your nearest "
            "support.\n\n"),
        dvrConfigurationWriter::programName));
}

// A name inside a command line: a line break in it would start a second command.
std::string field(const std::string& text) {
    return dvrText::singleLine(text);
}

} // namespace

std::string dvrConfigurationWriter::compose() {
    // The lists are taken once, before writing: what exists now is what is saved.
    std::vector<dvrConfigurationSections::Board> boards = dvrConfigurationSections::boards();
    std::vector<dvrConfigurationSections::Camera> cameras = dvrConfigurationSections::cameras();
    std::vector<dvrConfigurationSections::User> users = dvrConfigurationSections::users();

    std::string out = header();

    out += title("# Global settings\n");
    std::string globalLines;
    if (dvrSettingSet* global = dvrGlobalSettings::instance())
        global->writeSettings(globalLines);
    out += globalLines + "\n\n\n";

    out += title("# Capturing board settings\n");
    for (const auto& board : boards) {
        out += "addcard " + field(board.typeName) + " " + field(board.name) + "\n";
        out += board.settings + "\n\n\n\n";
    }

    out += title("# Camera settings\n");
    for (const auto& camera : cameras) {
        out += "addcamera " + field(camera.boardName) + " " + std::to_string(camera.input) + " " +
               field(camera.name) + " " + std::to_string(camera.frameRate) + "\n";
        out += camera.settings + "\n\n\n\n";
    }

    out += title("# User settings\n");
    for (const auto& user : users) {
        out += "adduser " + field(user.login) + " " + field(user.scrambledPassword) + "\n";
        out += user.settings + "\n\n";
    }

    out += title("# Rules\n");
    out += dvrConfigurationSections::rules() + "\n\n";

    out += title("# Locale setting (defines eg. what language to use)\n");
    out += "set locale " + field(dvrConfigurationSections::languageName()) + " a b c\n";
    return out;
}

bool dvrConfigurationWriter::save(const std::string& path) {
    if (!dvrAtomicFile::replace(path, compose())) {
        logError(dvrCatalogueFormat::lookUp("[CORE] Error!!! Cannot save settings to %s!\n"),
                 dvrText::singleLine(path).c_str());
        return false;
    }
    logVerbose("[CORE] Settings saved to %s.\n", dvrText::singleLine(path).c_str());
    return true;
}
