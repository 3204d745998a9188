#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "config/dvrConfigurationWriter.h"
#include "config/dvrSettingsTransfer.h"
#include "console/dvrConsole.h"
#include "dvrCapturedLog.h"
#include "dvrScriptedUserInterface.h"
#include "dvrTemporaryDirectory.h"
#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingSet.h"

namespace {

const char* const importWarning =
    "message warning Warning! Loading other settings will merge them with the current\nconfiguration. If you "
    "experience any problems, try removing all capturing devices first.\n";

class dvrSettingsTransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        console = dvrConsole::create();
        for (const char* word : {"Stop", "Start", "Beep"}) {
            console->setHandler(word, [this, word](const dvrCommand&) {
                commands.push_back(word);
                return 1;
            });
        }
        dvrGlobalSettings::create();
        dvrGlobalSettings::applyDefaults();
    }
    void TearDown() override {
        dvrGlobalSettings::destroy();
        dvrConsole::destroy();
    }

    dvrTemporaryDirectory directory;
    dvrCapturedLog log;
    dvrConsole* console = nullptr;
    dvrScriptedUserInterface user;
    std::vector<std::string> commands;
};

TEST_F(dvrSettingsTransferTest, ExportSavesToTheChosenFileAndLogsTheLine) {
    user.files.push_back(dvrUserInterface::ChosenFile{directory.path(), "export 100%s.mrd"});
    EXPECT_TRUE(dvrSettingsTransfer::exportSettings(user, *console));

    std::string path = directory.file("export 100%s.mrd");
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), dvrConfigurationWriter::compose());
    EXPECT_EQ(user.events, std::vector<std::string>{"file Export settings Settings (*.mrd)|*.mrd save"});
    EXPECT_EQ(log.messages(), std::vector<std::string>{"savesettings " + path + "\n"});
}

TEST_F(dvrSettingsTransferTest, ImportWarnsThenRunsTheScriptBetweenStopAndStart) {
    directory.write("other site.mrd", "set global global customer string Other site\nbeep\n");
    user.files.push_back(dvrUserInterface::ChosenFile{directory.path(), "other site.mrd"});
    EXPECT_TRUE(dvrSettingsTransfer::importSettings(user, *console));

    EXPECT_EQ(dvrGlobalSettings::instance()->getText("customer"), "Other site");
    EXPECT_EQ(commands, (std::vector<std::string>{"Stop", "Beep", "Start"}));
    EXPECT_EQ(user.events,
              (std::vector<std::string>{importWarning, "file Import settings Settings (*.mrd)|*.mrd open",
                                        "progress Applying settings...", "progress 30", "progress 50",
                                        "progress 100", "progress end"}));
    EXPECT_EQ(log.messages(), std::vector<std::string>{"run " + directory.file("other site.mrd") + "\n"});
}

TEST_F(dvrSettingsTransferTest, CancelledDialogsChangeNothing) {
    EXPECT_FALSE(dvrSettingsTransfer::exportSettings(user, *console));
    EXPECT_FALSE(dvrSettingsTransfer::importSettings(user, *console));
    EXPECT_TRUE(commands.empty());
    EXPECT_TRUE(log.messages().empty());
    EXPECT_TRUE(std::filesystem::is_empty(directory.path()));
}

} // namespace
