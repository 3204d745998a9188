#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "users/dvrUserList.h"

namespace {

// Runs body on a thread of its own and waits for it.
template <typename Body> void onAnotherThread(Body body) {
    std::thread thread(body);
    thread.join();
}

TEST(dvrRemoteUsersTest, NetworkThreadWithoutAUserHasNoRightsEvenWithoutUsers) {
    dvrUserList users;
    users.bindRemoteThread(std::this_thread::get_id(), nullptr);
    EXPECT_FALSE(users.hasRight("c_live"));
    bool localAllowed = false;
    onAnotherThread([&] { localAllowed = users.hasRight("c_live"); });
    EXPECT_TRUE(localAllowed);

    users.unbindRemoteThread(std::this_thread::get_id());
    EXPECT_TRUE(users.hasRight("c_live"));
}

TEST(dvrRemoteUsersTest, RightsFollowTheUserBoundToTheCallingThread) {
    dvrUserList users;
    auto viewer = users.addUser("viewer");
    viewer->settings().setInt("c_live", 1);
    auto admin = users.addUser("admin");
    admin->makeAdmin();
    users.setCurrentUser(admin);

    users.bindRemoteThread(std::this_thread::get_id(), viewer);
    EXPECT_TRUE(users.hasRight("c_live"));
    EXPECT_FALSE(users.hasRight("c_rec")); // the local administrator does not lend rights
    EXPECT_EQ(users.remoteUser(std::this_thread::get_id()), viewer);

    bool otherThreadRec = false;
    dvrUserList::UserPointer otherThreadUser = viewer;
    onAnotherThread([&] {
        otherThreadRec = users.hasRight("c_rec");
        otherThreadUser = users.remoteUser(std::this_thread::get_id());
    });
    EXPECT_TRUE(otherThreadRec); // not a network thread: the local user decides
    EXPECT_EQ(otherThreadUser, nullptr);
}

TEST(dvrRemoteUsersTest, BindingAUserOutsideTheListBindsNobody) {
    dvrUserList users;
    auto stranger = std::make_shared<dvrUser>("stranger");
    stranger->makeAdmin();
    users.bindRemoteThread(std::this_thread::get_id(), stranger);
    EXPECT_EQ(users.remoteUser(std::this_thread::get_id()), nullptr);
    EXPECT_FALSE(users.hasRight("c_live"));
}

TEST(dvrRemoteUsersTest, NetworkLoginNeedsExactLoginStoredPasswordAndRemoteRight) {
    dvrUserList users;
    auto remote = users.addUser("remote");
    remote->settings().setText("pass", "]5d");
    remote->settings().setInt("c_remote", 1);
    auto local = users.addUser("local");
    local->settings().setText("pass", "]5d");
    struct Case {
        const char* login;
        const char* password;
        dvrUserList::UserPointer user;
    };
    const Case cases[] = {
        {"remote", "]5d", remote},  {"Remote", "]5d", nullptr}, {"remote", "a", nullptr},
        {"remote", "]5D", nullptr}, {"local", "]5d", nullptr},  {"nobody", "]5d", nullptr},
    };
    for (const Case& c : cases)
        EXPECT_EQ(users.findRemoteLoginUser(c.login, c.password), c.user) << c.login << " " << c.password;
}

// Network threads log in, check rights and leave while other users come and go. Each thread's
// own user keeps its right; the users that come and go never have it.
TEST(dvrRemoteUsersTest, ThreadsCheckRightsWhileUsersComeAndGo) {
    dvrUserList users;
    for (int i = 0; i < 4; ++i)
        users.addUser("keep" + std::to_string(i))->settings().setInt("c_live", 1);
    std::atomic<bool> stop{false};
    std::atomic<int> wrongAnswers{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            std::thread::id self = std::this_thread::get_id();
            while (!stop) {
                users.bindRemoteThread(self, nullptr);
                if (users.hasRight("c_live"))
                    ++wrongAnswers;
                users.bindRemoteThread(self, users.findUser("passing" + std::to_string(t)));
                if (users.hasRight("c_live"))
                    ++wrongAnswers;
                users.bindRemoteThread(self, users.findUser("keep" + std::to_string(t)));
                if (!users.hasRight("c_live"))
                    ++wrongAnswers;
                users.unbindRemoteThread(self);
            }
        });
    }
    for (int round = 0; round < 400; ++round) {
        std::string name = "passing" + std::to_string(round % 4);
        users.addUser(name);
        users.removeUser(name);
    }
    stop = true;
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrongAnswers, 0);
    EXPECT_EQ(users.userCount(), 4u);
}

} // namespace
