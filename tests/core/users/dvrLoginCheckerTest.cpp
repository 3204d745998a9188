#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "dvrCapturedLog.h"
#include "dvrTestCatalogue.h"
#include "users/dvrLoginBackoff.h"
#include "users/dvrLoginChecker.h"
#include "users/dvrLoginPrompt.h"
#include "users/dvrRefusingLoginPrompt.h"
#include "users/dvrUserList.h"

namespace {

using std::chrono::seconds;

// Two users: "bob" (password "secret", may view live images) and "carol" (no rights).
class dvrLoginCheckerTest : public ::testing::Test {
protected:
    void SetUp() override {
        bob = users.addUser("bob");
        bob->settings().setText("pass", "]4f595f4e5948"); // "secret"
        bob->settings().setInt("c_live", 1);
        users.addUser("carol")->settings().setText("pass", "]5d"); // "a"
    }

    dvrCapturedLog log;
    dvrUserList users;
    dvrUserList::UserPointer bob;
};

TEST_F(dvrLoginCheckerTest, LoginModeJudgesUserPasswordAndRight) {
    const std::string loginFailed = "Error: Login failed! Please check your username and password.";
    struct Case {
        const char* name;
        std::string login;
        std::string password;
        const char* key;
        bool accepted;
        std::string errorText;
        bool noRights;
        std::string logged;
    };
    const Case cases[] = {
        {"right password and right", "bob", "secret", "c_live", true, "", false, "User bob logged in."},
        {"missing right", "bob", "secret", "c_setup", false,
         "Error: The user has no rights for this command.", true,
         "The user bob tried to access 'c_setup' with no rights."},
        {"wrong password", "bob", "secreT", "c_live", false, loginFailed, false,
         "Incorrect login (user bob)"},
        {"unknown user", "dave", "secret", "c_live", false, loginFailed, false,
         "Incorrect login (user dave)"},
        {"login in other case", "BOB", "secret", "c_live", false, loginFailed, false,
         "Incorrect login (user BOB)"},
        {"typed stored form", "bob", "]4f595f4e5948", "c_live", false, loginFailed, false,
         "Incorrect login (user bob)"},
        {"over-long password", "bob", std::string(600, 's'), "c_live", false, loginFailed, false,
         "Incorrect login (user bob)"},
        {"login on two lines", "bob\nquit", "secret", "c_live", false, loginFailed, false,
         "Incorrect login (user bob quit)"},
    };
    for (const Case& c : cases) {
        users.setCurrentUser(nullptr);
        log.clear();
        dvrLoginChecker checker(users, c.key);
        EXPECT_EQ(checker.check(c.login, c.password), c.accepted) << c.name;
        EXPECT_EQ(checker.errorText(), c.errorText) << c.name;
        EXPECT_EQ(checker.noRights(), c.noRights) << c.name;
        EXPECT_EQ(log.messages(), std::vector<std::string>{c.logged}) << c.name;
        EXPECT_EQ(users.currentUser(), c.accepted ? bob : nullptr) << c.name;
    }
}

TEST_F(dvrLoginCheckerTest, AnOverLongLoginIsLoggedCut) {
    dvrLoginChecker checker(users, "c_live");
    EXPECT_FALSE(checker.check(std::string(5000, 'x'), "secret"));
    EXPECT_EQ(log.all(),
              "Incorrect login (user " + std::string(dvrLoginChecker::maximumTypedLength, 'x') + ")");
}

TEST_F(dvrLoginCheckerTest, NoRightsFlagIsClearedByTheNextAttempt) {
    dvrLoginChecker checker(users, "c_setup");
    EXPECT_FALSE(checker.check("bob", "secret"));
    EXPECT_TRUE(checker.noRights());
    EXPECT_FALSE(checker.check("bob", "wrong"));
    EXPECT_FALSE(checker.noRights());
}

TEST_F(dvrLoginCheckerTest, WaitDoublesWithEachFailureUpToEightSeconds) {
    struct Case {
        int failures;
        seconds wait;
    };
    const Case cases[] = {{0, seconds(0)}, {1, seconds(2)},   {2, seconds(4)}, {3, seconds(8)},
                          {4, seconds(8)}, {100, seconds(8)}, {-1, seconds(0)}};
    for (const Case& c : cases)
        EXPECT_EQ(dvrLoginBackoff::waitAfter(c.failures), c.wait) << c.failures;

    dvrLoginChecker checker(users, "c_live");
    std::vector<seconds> waits;
    for (int attempt = 0; attempt < 4; ++attempt) {
        checker.check("bob", "wrong");
        waits.push_back(checker.waitAfterFailure());
    }
    EXPECT_EQ(waits, (std::vector<seconds>{seconds(2), seconds(4), seconds(8), seconds(8)}));
    EXPECT_EQ(checker.failures(), 4);
}

TEST_F(dvrLoginCheckerTest, FailureTextFallsBackWhenTheCheckerGaveNone) {
    dvrLoginChecker checker(users, "c_live");
    EXPECT_EQ(checker.failureText(), "Login incorrect.");
    checker.check("bob", "wrong");
    EXPECT_EQ(checker.failureText(), checker.errorText());
}

TEST_F(dvrLoginCheckerTest, NewUserModeChecksLoginAndPassword) {
    struct Case {
        std::string login;
        std::string password;
        std::string errorText; // empty: accepted
    };
    const Case cases[] = {
        {"dave", "pass", ""},
        {std::string(30, 'd'), std::string(255, 'p'), ""},
        {"bob", "x", "Error: User `bob' already exists."},
        {"d", "password", "Error: Login name is too short."},
        {"", "password", "Error: Login name is too short."},
        {"dave", "abc", "Error: Password is too short."},
        {std::string(31, 'd'), "password", "Error: Login name is too long."},
        {"da ve", "password", "Error: Login name may not contain spaces."},
        {"da\tve", "password", "Error: Login name may not contain spaces."},
        {"dave", std::string(256, 'p'), "Error: Password is too long."},
        {"dave", "pass word", "Error: Password may not contain spaces."},
    };
    for (const Case& c : cases) {
        dvrLoginChecker checker(users);
        EXPECT_EQ(checker.check(c.login, c.password), c.errorText.empty()) << c.login;
        EXPECT_EQ(checker.errorText(), c.errorText) << c.login;
        EXPECT_EQ(checker.waitAfterFailure(), seconds(0)) << c.login;
    }
    EXPECT_EQ(users.currentUser(), nullptr);
    EXPECT_EQ(users.userCount(), 2u);
}

TEST_F(dvrLoginCheckerTest, NewUserModeWantsTheSamePasswordTwice) {
    dvrLoginChecker checker(users);
    EXPECT_FALSE(checker.checkNewUser("dave", "password", "passwort"));
    EXPECT_EQ(checker.errorText(), "Passwords do not match.");
    EXPECT_TRUE(checker.checkNewUser("dave", "password", "password"));
    EXPECT_EQ(dvrLoginChecker::addUserLine("dave", "password"), "AddUser dave password");
}

// A login dialog whose user types the given texts, or cancels when there are none.
class TypingPrompt : public dvrLoginPrompt {
public:
    bool runLogin(dvrLoginChecker& checker) override {
        ++shown;
        key = checker.rightKey();
        for (const auto& [login, password] : attempts)
            if (checker.check(login, password))
                return true;
        return false;
    }
    bool runNewUser(dvrLoginChecker&, std::string&, std::string&) override { return false; }

    std::vector<std::pair<std::string, std::string>> attempts;
    int shown = 0;
    std::string key;
};

TEST_F(dvrLoginCheckerTest, CheckRightAsksForALoginOnlyWhenTheRightIsMissing) {
    std::vector<std::string> sounds;
    users.setSoundPlayer([&](const std::string& name) { sounds.push_back(name); });
    TypingPrompt prompt;

    users.setCurrentUser(bob);
    EXPECT_TRUE(users.checkRight(prompt, "c_live"));
    EXPECT_EQ(prompt.shown, 0);

    users.setCurrentUser(nullptr);
    prompt.attempts = {{"bob", "wrong"}, {"bob", "secret"}};
    EXPECT_TRUE(users.checkRight(prompt, "c_live"));
    EXPECT_EQ(prompt.shown, 1);
    EXPECT_EQ(prompt.key, "c_live");
    EXPECT_EQ(users.currentUser(), bob);
    EXPECT_EQ(sounds, std::vector<std::string>{"logon"});

    prompt.attempts.clear(); // cancelled
    EXPECT_FALSE(users.checkRight(prompt, "c_setup"));
    EXPECT_EQ(prompt.shown, 2);
    EXPECT_EQ(sounds.size(), 1u);
}

TEST(dvrLoginCheckerWithoutUsersTest, CheckRightNeverAsksWhileNoUserExists) {
    dvrUserList users;
    TypingPrompt prompt;
    for (const char* key : {"c_live", "c_quit", "c_users"})
        EXPECT_TRUE(users.checkRight(prompt, key)) << key;
    EXPECT_EQ(prompt.shown, 0);
}

TEST_F(dvrLoginCheckerTest, WithoutWindowsEveryLoginIsRefusedWithALogLine) {
    dvrRefusingLoginPrompt prompt;
    EXPECT_FALSE(users.checkRight(prompt, "c_quit"));
    EXPECT_EQ(users.currentUser(), nullptr);
    EXPECT_TRUE(log.contains("c_quit")) << log.all();
    std::string login, password;
    dvrLoginChecker checker(users);
    EXPECT_FALSE(prompt.runNewUser(checker, login, password));
}

TEST_F(dvrLoginCheckerTest, MessagesComeFromTheCatalogueWithTheNamesFilledIn) {
    dvrTestCatalogue catalogue({
        {"User %s logged in.", "Benutzer %s angemeldet."},
        {"Error: %s", "Fehler: %s"},
        {"Login failed! Please check your username and password.", "Anmeldung fehlgeschlagen!"},
        {"Incorrect login (user %s)", "Falsche Anmeldung"}, // lost its placeholder: not used
    });
    dvrLoginChecker checker(users, "c_live");
    EXPECT_FALSE(checker.check("%s%n", "wrong"));
    EXPECT_EQ(checker.errorText(), "Fehler: Anmeldung fehlgeschlagen!");
    EXPECT_TRUE(checker.check("bob", "secret"));
    EXPECT_EQ(log.messages(),
              (std::vector<std::string>{"Incorrect login (user %s%n)", "Benutzer bob angemeldet."}));
}

} // namespace
