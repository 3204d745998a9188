#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/dvrConsole.h"
#include "dvrCapturedLog.h"
#include "settings/dvrSettingLines.h"
#include "users/dvrUserList.h"

namespace {

const char* const everyRight[] = {
    "c_live",     "c_rec",       "c_setup", "c_gallery", "c_remote", "c_brdsetup", "c_brdadjust",
    "c_camsetup", "c_camadjust", "c_rules", "c_users",   "c_img",    "c_mpg",      "c_quit",
    "c_preset",   "c_ptz",       "group1",  "group2",    "group3",   "group4",     "admin",
};

class dvrUserCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        console = dvrConsole::create();
        users.registerCommands(*console);
        users.setSoundPlayer([this](const std::string& name) { sounds.push_back(name); });
    }
    void TearDown() override {
        dvrSettingLines::setScopeHandler("user", nullptr);
        dvrConsole::destroy();
    }

    dvrCapturedLog log;
    dvrUserList users;
    dvrConsole* console = nullptr;
    std::vector<std::string> sounds;
};

TEST_F(dvrUserCommandsTest, FirstUserBecomesTheAdministrator) {
    ASSERT_EQ(console->run("AddUser root secret"), 1);
    auto root = users.findUser("root");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->settings().getText("name"), "DVR Administrator");
    EXPECT_EQ(root->password(), "]4f595f4e5948");
    for (const char* key : everyRight)
        EXPECT_EQ(root->right(key), 1) << key;
    EXPECT_TRUE(root->settings().isLocked());

    ASSERT_EQ(console->run("adduser bob a"), 1);
    auto bob = users.findUser("bob");
    ASSERT_NE(bob, nullptr);
    EXPECT_EQ(bob->settings().getText("name"), "");
    EXPECT_EQ(bob->password(), "]5d");
    for (const char* key : everyRight)
        EXPECT_EQ(bob->right(key), 0) << key;
    EXPECT_FALSE(bob->settings().isLocked());
}

TEST_F(dvrUserCommandsTest, AddUserRefusesDuplicatesOnlyWithTheSameLetterCase) {
    EXPECT_EQ(console->run("AddUser bob a"), 1);
    EXPECT_EQ(console->run("AddUser bob b"), 0);
    EXPECT_EQ(users.findUser("bob")->password(), "]5d");
    EXPECT_EQ(console->run("AddUser Bob b"), 1);
    EXPECT_EQ(users.userCount(), 2u);

    EXPECT_EQ(console->run("DelUser BOB"), 1);
    ASSERT_EQ(users.userCount(), 1u);
    EXPECT_EQ(users.userAt(0)->login(), "Bob");
    EXPECT_EQ(console->run("DelUser nobody"), 0);
    EXPECT_EQ(console->run("DelUsers"), 1);
    EXPECT_EQ(users.userCount(), 0u);
    EXPECT_EQ(console->run("DelUsers"), 1);
}

TEST_F(dvrUserCommandsTest, AddUserAddsNothingWhenLoginOrPasswordDoesNotFit) {
    std::string longLogin(40, 'x');
    EXPECT_EQ(console->run("AddUser " + longLogin + " a"), 1);
    EXPECT_NE(users.findUser(std::string(31, 'x')), nullptr);
    // Same login once cut: a duplicate.
    EXPECT_EQ(console->run("AddUser " + longLogin + "y a"), 0);
    // 300 characters scramble to 601.
    EXPECT_EQ(console->run("AddUser carol " + std::string(300, 'p')), 0);
    EXPECT_EQ(users.findUser("carol"), nullptr);
    EXPECT_EQ(users.userCount(), 1u);
}

TEST_F(dvrUserCommandsTest, AddUserStopsAt128Users) {
    for (std::size_t i = 0; i < dvrUserList::maximumUsers; ++i)
        ASSERT_EQ(console->run("AddUser user" + std::to_string(i) + " pass"), 1) << i;
    EXPECT_EQ(console->run("AddUser late pass"), 0);
    EXPECT_EQ(users.userCount(), dvrUserList::maximumUsers);
    EXPECT_EQ(users.findUser("late"), nullptr);
}

TEST_F(dvrUserCommandsTest, SettingLinesReachTheNamedUserOnly) {
    console->run("AddUser root secret");
    console->run("AddUser bob a");
    EXPECT_EQ(console->run("set user bob c_live int 1"), 1);
    EXPECT_EQ(console->run("set user bob pass string new password"), 1);
    EXPECT_EQ(console->run("set user Bob c_rec int 1"), 0); // names are exact
    EXPECT_EQ(console->run("set user nobody c_rec int 1"), 0);
    EXPECT_EQ(console->run("get user bob c_live"), 1);
    auto bob = users.findUser("bob");
    EXPECT_EQ(bob->right("c_live"), 1);
    EXPECT_EQ(bob->right("c_rec"), 0);
    EXPECT_EQ(bob->password(), "]52594b1c4c5d4f4f4b534e58");

    EXPECT_EQ(console->run("set user bob admin int 1"), 1);
    EXPECT_EQ(bob->right("c_users"), 1);
    EXPECT_TRUE(bob->settings().isLocked());
}

TEST_F(dvrUserCommandsTest, PasswordChangedInTheEditorIsStoredScrambled) {
    console->run("AddUser root secret");
    auto root = users.findUser("root");
    ASSERT_TRUE(root->settings().changeText("pass", "a"));
    EXPECT_EQ(root->password(), "]5d");
}

TEST_F(dvrUserCommandsTest, SavedUsersLoadBackUnchanged) {
    console->run("AddUser root secret");
    console->run("AddUser bob ]6144"); // an already scrambled password, as a saved file has it
    console->run("set user bob c_rec int 1");
    console->run("set user bob group3 int 1");
    console->run("set user bob name string Robert Smith");
    std::string saved;
    users.writeUserSection(saved);

    console->run("DelUsers");
    console->runText(saved);

    std::string reloaded;
    users.writeUserSection(reloaded);
    EXPECT_EQ(reloaded, saved);
    EXPECT_EQ(users.findUser("root")->password(), "]4f595f4e5948");
    EXPECT_EQ(users.findUser("bob")->password(), "]6144");
    EXPECT_EQ(users.findUser("bob")->settings().getText("name"), "Robert Smith");
    EXPECT_NE(saved.find("adduser root ]4f595f4e5948\n"), std::string::npos);
    EXPECT_NE(saved.find("set user root pass string ]4f595f4e5948\n"), std::string::npos);
    EXPECT_TRUE(log.messages().empty()) << log.all();
}

TEST_F(dvrUserCommandsTest, LogoutLogsPlaysAndClearsOnlyWhenSomebodyIsLoggedIn) {
    EXPECT_EQ(console->run("Logout"), 1);
    EXPECT_TRUE(log.messages().empty());
    EXPECT_TRUE(sounds.empty());

    console->run("AddUser root secret");
    users.setCurrentUser(users.findUser("root"));
    EXPECT_EQ(console->run("logout"), 1);
    EXPECT_EQ(users.currentUser(), nullptr);
    EXPECT_EQ(log.messages(), std::vector<std::string>{"User root logged out."});
    EXPECT_EQ(sounds, std::vector<std::string>{"logoff"});
}

TEST_F(dvrUserCommandsTest, DeletingTheLoggedInUserLogsItOut) {
    console->run("AddUser root secret");
    console->run("AddUser bob a");
    users.setCurrentUser(users.findUser("bob"));
    console->run("DelUser bob");
    EXPECT_EQ(users.currentUser(), nullptr);
    EXPECT_FALSE(users.hasRight("c_live"));
}

TEST_F(dvrUserCommandsTest, UnregisteredCommandsNoLongerReachTheList) {
    users.unregisterCommands(*console);
    EXPECT_EQ(console->run("AddUser bob a"), 0);
    EXPECT_EQ(console->run("set user bob c_live int 1"), 0);
    EXPECT_EQ(users.userCount(), 0u);
}

} // namespace
