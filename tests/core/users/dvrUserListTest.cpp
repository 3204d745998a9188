#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "object/dvrObserver.h"
#include "users/dvrUserList.h"

namespace {

class LoginObserver : public dvrObserver {
public:
    explicit LoginObserver(dvrUserList& users) : users_(users) {
        users_.addObserver(this, dvrUserList::loggedInUserChanged);
    }
    ~LoginObserver() override { stopObserving(); }

    void onNotify(dvrNotifier* notifier, std::uint32_t events) override {
        if (events & dvrUserList::loggedInUserChanged) {
            dvrUserList::UserPointer user = users_.currentUser();
            seen.push_back(user ? user->login() : "nobody");
        }
        dvrObserver::onNotify(notifier, events);
    }

    std::vector<std::string> seen;

private:
    dvrUserList& users_;
};

TEST(dvrUserListTest, FindsExactlyButRemovesTheFirstMatchIgnoringCase) {
    dvrUserList users;
    users.addUser("Bob");
    users.addUser("bob");
    users.addUser("carol");
    EXPECT_EQ(users.findUser("bob"), users.userAt(1));
    EXPECT_EQ(users.findUser("BOB"), nullptr);
    EXPECT_EQ(users.userAt(3), nullptr);

    EXPECT_TRUE(users.removeUser("BOB"));
    ASSERT_EQ(users.userCount(), 2u);
    EXPECT_EQ(users.userAt(0)->login(), "bob");
    EXPECT_FALSE(users.removeUser("dave"));

    users.removeAllUsers();
    EXPECT_EQ(users.userCount(), 0u);
}

TEST(dvrUserListTest, HoldsAtMost128Users) {
    dvrUserList users;
    for (std::size_t i = 0; i < dvrUserList::maximumUsers; ++i)
        ASSERT_NE(users.addUser("user" + std::to_string(i)), nullptr) << i;
    EXPECT_EQ(users.addUser("one_too_many"), nullptr);
    EXPECT_EQ(users.userCount(), dvrUserList::maximumUsers);
    EXPECT_EQ(users.findUser("one_too_many"), nullptr);
}

TEST(dvrUserListTest, LocalRightsComeFromTheCurrentUserOnceUsersExist) {
    dvrUserList users;
    EXPECT_TRUE(users.hasRight("c_setup")); // nobody configured: everything allowed
    auto bob = users.addUser("bob");
    EXPECT_FALSE(users.hasRight("c_setup")); // users exist, nobody logged in
    users.setCurrentUser(bob);
    EXPECT_FALSE(users.hasRight("c_setup"));
    bob->settings().setInt("c_setup", 1);
    EXPECT_TRUE(users.hasRight("c_setup"));
    EXPECT_FALSE(users.hasRight("c_quit"));
}

TEST(dvrUserListTest, OnlyAUserOfTheListCanBeLoggedIn) {
    dvrUserList users;
    users.addUser("bob");
    auto stranger = std::make_shared<dvrUser>("stranger");
    users.setCurrentUser(stranger);
    EXPECT_EQ(users.currentUser(), nullptr);
}

TEST(dvrUserListTest, DeletingUsersLogsThemOutEverywhere) {
    struct Case {
        const char* name;
        std::function<void(dvrUserList&)> remove;
    };
    const Case cases[] = {
        {"one user", [](dvrUserList& users) { users.removeUser("BOB"); }},
        {"all users", [](dvrUserList& users) { users.removeAllUsers(); }},
    };
    for (const Case& c : cases) {
        dvrUserList users;
        auto bob = users.addUser("bob");
        bob->makeAdmin();
        users.addUser("other");
        users.setCurrentUser(bob);
        users.bindRemoteThread(std::this_thread::get_id(), bob);
        LoginObserver observer(users);

        c.remove(users);

        EXPECT_EQ(users.currentUser(), nullptr) << c.name;
        EXPECT_TRUE(users.isRemoteThread(std::this_thread::get_id())) << c.name;
        EXPECT_EQ(users.remoteUser(std::this_thread::get_id()), nullptr) << c.name;
        EXPECT_FALSE(users.hasRight("c_live")) << c.name;
        EXPECT_EQ(observer.seen, std::vector<std::string>{"nobody"}) << c.name;
    }
}

TEST(dvrUserListTest, DeletingAnotherUserKeepsTheLogins) {
    dvrUserList users;
    auto bob = users.addUser("bob");
    users.addUser("carol");
    users.setCurrentUser(bob);
    users.bindRemoteThread(std::this_thread::get_id(), bob);
    LoginObserver observer(users);
    users.removeUser("carol");
    EXPECT_EQ(users.currentUser(), bob);
    EXPECT_EQ(users.remoteUser(std::this_thread::get_id()), bob);
    EXPECT_TRUE(observer.seen.empty());
}

TEST(dvrUserListTest, ObserversHearOnlyRealChangesOfTheLoggedInUser) {
    dvrUserList users;
    auto bob = users.addUser("bob");
    auto carol = users.addUser("carol");
    LoginObserver observer(users);
    users.setCurrentUser(bob);
    users.setCurrentUser(bob);
    users.setCurrentUser(carol);
    users.setCurrentUser(nullptr);
    users.setCurrentUser(nullptr);
    EXPECT_EQ(observer.seen, (std::vector<std::string>{"bob", "carol", "nobody"}));
}

TEST(dvrUserListTest, AccessGroupsDecideWhichCamerasTheCurrentUserSees) {
    // camera name -> its "group"; absent names are cameras that do not exist.
    const std::map<std::string, int, std::less<>> cameras = {{"Open", 0}, {"Yard", 2}, {"Odd", 7}};
    auto lookUp = [&](std::string_view name) -> std::optional<int> {
        auto found = cameras.find(name);
        return found == cameras.end() ? std::nullopt : std::optional<int>(found->second);
    };
    struct Case {
        const char* name;
        bool withUsers;
        bool loggedIn;
        bool inGroup2;
        const char* camera;
        bool allowed;
    };
    const Case cases[] = {
        {"missing camera", false, false, false, "Gone", false},
        {"no users", false, false, false, "Yard", true},
        {"nobody logged in", true, false, false, "Open", false},
        {"ungrouped camera", true, true, false, "Open", true},
        {"not a member", true, true, false, "Yard", false},
        {"member", true, true, true, "Yard", true},
        {"group without a setting", true, true, true, "Odd", false},
        {"missing camera with a member", true, true, true, "Gone", false},
    };
    for (const Case& c : cases) {
        dvrUserList users;
        users.setCameraGroupLookup(lookUp);
        if (c.withUsers) {
            auto bob = users.addUser("bob");
            bob->settings().setInt("group2", c.inGroup2 ? 1 : 0);
            if (c.loggedIn)
                users.setCurrentUser(bob);
        }
        EXPECT_EQ(users.accessGroupAllows(c.camera), c.allowed) << c.name;
    }
    dvrUserList withoutCameras;
    EXPECT_FALSE(withoutCameras.accessGroupAllows("Open"));
}

TEST(dvrUserListTest, WritesEachUserAsAnAddUserLineWithItsSettings) {
    dvrUserList users;
    users.addUser("bob")->settings().setText("pass", "]5d");
    users.addUser("carol")->settings().setText("pass", "]");
    std::string section;
    users.writeUserSection(section);

    std::string bobLines;
    users.findUser("bob")->settings().writeSettings(bobLines);
    std::string carolLines;
    users.findUser("carol")->settings().writeSettings(carolLines);
    EXPECT_EQ(section, "adduser bob ]5d\n" + bobLines + "\n\nadduser carol ]\n" + carolLines + "\n\n");
}

} // namespace
