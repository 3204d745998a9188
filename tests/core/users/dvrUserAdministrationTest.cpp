#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/dvrConsole.h"
#include "dialog/dvrUserInterface.h"
#include "dvrCapturedLog.h"
#include "settings/dvrSettingLines.h"
#include "users/dvrLoginChecker.h"
#include "users/dvrLoginPrompt.h"
#include "users/dvrUserAdministration.h"
#include "users/dvrUserList.h"

namespace {

// The person at the screen: logs in as given, types the new user's fields as given, or cancels
// when a dialog has nothing to type.
class ScriptedPrompt : public dvrLoginPrompt {
public:
    bool runLogin(dvrLoginChecker& checker) override {
        ++loginsShown;
        return !login.empty() && checker.check(login, password);
    }
    bool runNewUser(dvrLoginChecker& checker, std::string& newLogin, std::string& newPassword) override {
        for (const auto& fields : newUsers) {
            if (checker.checkNewUser(fields[0], fields[1], fields[2])) {
                newLogin = fields[0];
                newPassword = fields[1];
                return true;
            }
            errors.push_back(checker.errorText());
        }
        return false;
    }

    std::string login;
    std::string password;
    std::vector<std::vector<std::string>> newUsers; // login, password, confirmation
    std::vector<std::string> errors;
    int loginsShown = 0;
};

class RecordingUserInterface : public dvrUserInterface {
public:
    void showMessage(const std::string& title, const std::string& text, Icon) override {
        messages.push_back(title + ": " + text);
    }
    Answer ask(const std::string&, const std::string&, Buttons, Answer safeAnswer) override {
        return safeAnswer;
    }
    std::optional<ChosenFile> chooseFile(const std::string&, const std::string&, bool) override {
        return std::nullopt;
    }
    std::vector<int> chooseItems(const std::string&, const std::vector<std::string>&, const std::vector<int>&) override {
        return {};
    }
    void beginProgress(const std::string&, const std::string&) override {}
    void updateProgress(int) override {}
    void endProgress() override {}

    std::vector<std::string> messages;
};

class dvrUserAdministrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        console = dvrConsole::create();
        users.registerCommands(*console);
        console->run("AddUser root secret");
    }
    void TearDown() override {
        dvrSettingLines::setScopeHandler("user", nullptr);
        dvrConsole::destroy();
    }

    void logInAsRoot() { users.setCurrentUser(users.findUser("root")); }

    dvrCapturedLog log;
    dvrUserList users;
    dvrConsole* console = nullptr;
    ScriptedPrompt prompt;
    RecordingUserInterface userInterface;
};

TEST_F(dvrUserAdministrationTest, AddingAUserNeedsTheUserRightAndACheckedDialog) {
    dvrUserAdministration administration(users, *console);
    prompt.newUsers = {{"dave", "passwords", "passwords"}};
    EXPECT_FALSE(administration.addUser(prompt)); // nobody logged in, login cancelled
    EXPECT_EQ(prompt.loginsShown, 1);
    EXPECT_EQ(users.findUser("dave"), nullptr);

    prompt.login = "root";
    prompt.password = "secret";
    prompt.newUsers = {
        {"d", "passwords", "passwords"}, {"dave", "passwords", "other"}, {"dave", "pass", "pass"}};
    EXPECT_TRUE(administration.addUser(prompt));
    EXPECT_EQ(prompt.errors,
              (std::vector<std::string>{"Error: Login name is too short.", "Passwords do not match."}));
    ASSERT_NE(users.findUser("dave"), nullptr);
    EXPECT_EQ(users.findUser("dave")->password(), "]4c5d4f4f");
    EXPECT_EQ(users.findUser("dave")->right("c_live"), 0);
}

TEST_F(dvrUserAdministrationTest, AdministratorStaysWhileOtherUsersExist) {
    console->run("AddUser bob a");
    logInAsRoot();
    dvrUserAdministration administration(users, *console);
    EXPECT_FALSE(administration.removeUser("root", prompt, userInterface));
    EXPECT_EQ(
        userInterface.messages,
        std::vector<std::string>{"Mirdal DVR: Administrator can't be removed if other users are present!"});
    EXPECT_EQ(users.userCount(), 2u);
    EXPECT_EQ(users.currentUser(), users.findUser("root"));

    EXPECT_TRUE(administration.removeUser("bob", prompt, userInterface));
    EXPECT_TRUE(administration.removeUser("root", prompt, userInterface));
    EXPECT_EQ(users.userCount(), 0u);
}

TEST_F(dvrUserAdministrationTest, RemovingTheLoggedInUserLogsItOutFirst) {
    logInAsRoot();
    dvrUserAdministration administration(users, *console);
    EXPECT_TRUE(administration.removeUser("root", prompt, userInterface));
    EXPECT_EQ(users.currentUser(), nullptr);
    EXPECT_TRUE(log.contains("User root logged out.")) << log.all();
    EXPECT_EQ(users.userCount(), 0u);
    EXPECT_TRUE(userInterface.messages.empty());
}

TEST_F(dvrUserAdministrationTest, RemovingNeedsTheUserRight) {
    console->run("AddUser bob a");
    dvrUserAdministration administration(users, *console);
    EXPECT_FALSE(administration.removeUser("bob", prompt, userInterface));
    EXPECT_EQ(prompt.loginsShown, 1);
    EXPECT_EQ(users.userCount(), 2u);
}

} // namespace
