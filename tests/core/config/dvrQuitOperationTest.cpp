#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/dvrQuitOperation.h"
#include "console/dvrConsole.h"
#include "dvrCapturedLog.h"
#include "dvrScriptedUserInterface.h"
#include "dvrTemporaryDirectory.h"
#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingSet.h"

namespace {

using Answer = dvrUserInterface::Answer;
using Buttons = dvrUserInterface::Buttons;

const char* const saveQuestion =
    "Quitting. Save settings?\nPlease note that shutting down the program will stop all recording!";

class dvrQuitOperationTest : public ::testing::Test {
protected:
    void SetUp() override {
        console = dvrConsole::create();
        // A settings directory with a space: the standard save line must still reach it.
        std::filesystem::create_directory(settingsDirectory);
        console->setSettingsDirectory(settingsDirectory);
        console->setHandler("Quit", [this](const dvrCommand&) {
            ++quits;
            return 1;
        });
        dvrGlobalSettings::create();
        dvrGlobalSettings::applyDefaults();
    }
    void TearDown() override {
        dvrGlobalSettings::destroy();
        dvrConsole::destroy();
    }

    dvrTemporaryDirectory directory;
    std::string settingsDirectory = directory.file("settings dir");
    dvrCapturedLog log;
    dvrConsole* console = nullptr;
    int quits = 0;
};

TEST_F(dvrQuitOperationTest, TheSaveModeDecidesWhatIsAskedAndSaved) {
    const struct {
        const char* what;
        int mode;
        std::optional<Answer> answer; // nothing: no question expected
        const char* question;
        Buttons buttons;
        Answer safeAnswer;
        bool saved;
        bool quit;
    } cases[] = {
        {"automatically", 2, std::nullopt, "", Buttons::ok, Answer::ok, true, true},
        {"ask, yes", 1, Answer::yes, saveQuestion, Buttons::yesNoCancel, Answer::cancel, true, true},
        {"ask, no", 1, Answer::no, saveQuestion, Buttons::yesNoCancel, Answer::cancel, false, true},
        {"ask, cancel", 1, Answer::cancel, saveQuestion, Buttons::yesNoCancel, Answer::cancel, false, false},
        {"manually, yes: quits without saving", 0, Answer::yes, "Really quit?", Buttons::yesNo, Answer::no,
         false, true},
        {"manually, no", 0, Answer::no, "Really quit?", Buttons::yesNo, Answer::no, false, false},
    };
    const std::string standardFile = settingsDirectory + "/settings.mrd";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(standardFile);
        quits = 0;
        dvrGlobalSettings::instance()->setInt("savemode", c.mode);
        dvrScriptedUserInterface user;
        if (c.answer)
            user.answers.push_back(*c.answer);

        EXPECT_EQ(dvrQuitOperation::run(user, *console), c.quit);
        EXPECT_EQ(std::filesystem::exists(standardFile), c.saved);
        EXPECT_EQ(quits, c.quit ? 1 : 0);
        if (!c.answer) {
            EXPECT_TRUE(user.questions.empty());
            continue;
        }
        ASSERT_EQ(user.questions.size(), 1u);
        EXPECT_EQ(user.questions[0].text, c.question);
        EXPECT_EQ(user.questions[0].buttons, c.buttons);
        EXPECT_EQ(user.questions[0].safeAnswer, c.safeAnswer);
    }
    EXPECT_TRUE(log.messages().empty()) << log.all();
}

} // namespace
