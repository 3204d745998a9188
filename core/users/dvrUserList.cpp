#include "users/dvrUserList.h"

#include <algorithm>

#include "console/dvrCommand.h"
#include "console/dvrConsole.h"
#include "language/dvrTranslation.h"
#include "log/dvrLog.h"
#include "settings/dvrSettingLines.h"
#include "text/dvrText.h"
#include "users/dvrLoginChecker.h"
#include "users/dvrLoginPrompt.h"
#include "users/dvrPasswordScrambler.h"
#include "language/dvrTranslatedMessage.h"

dvrUserList::dvrUserList() = default;

// Observers must hear of the destruction while the users still exist.
dvrUserList::~dvrUserList() {
    announceDestruction();
}

dvrUserList::UserPointer dvrUserList::findUser(std::string_view login) const {
    std::lock_guard<std::mutex> guard(lock_);
    for (const UserPointer& user : users_)
        if (user->login() == login)
            return user;
    return nullptr;
}

dvrUserList::UserPointer dvrUserList::addUser(std::string_view login) {
    auto user = std::make_shared<dvrUser>(login);
    std::lock_guard<std::mutex> guard(lock_);
    if (users_.size() >= maximumUsers)
        return nullptr;
    users_.push_back(user);
    return user;
}

bool dvrUserList::forgetLogins(const std::vector<UserPointer>& removed) {
    auto isRemoved = [&](const UserPointer& user) {
        return user && std::find(removed.begin(), removed.end(), user) != removed.end();
    };
    // A network thread whose user goes keeps its binding, now with no rights.
    for (auto& [thread, user] : remoteUsers_)
        if (isRemoved(user))
            user = nullptr;
    if (!isRemoved(currentUser_))
        return false;
    currentUser_ = nullptr;
    return true;
}

bool dvrUserList::removeUser(std::string_view login) {
    std::vector<UserPointer> removed;
    bool loggedOut = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        auto found = std::find_if(users_.begin(), users_.end(), [&](const UserPointer& user) {
            return dvrText::equalsIgnoringCase(user->login(), login);
        });
        if (found == users_.end())
            return false;
        removed.push_back(*found);
        users_.erase(found);
        loggedOut = forgetLogins(removed);
    }
    if (loggedOut)
        notify(loggedInUserChanged);
    // The user is destroyed here, outside the lock, unless a reader still holds it.
    return true;
}

void dvrUserList::removeAllUsers() {
    std::vector<UserPointer> removed;
    bool loggedOut = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        removed.swap(users_);
        loggedOut = forgetLogins(removed);
    }
    if (loggedOut)
        notify(loggedInUserChanged);
}

std::size_t dvrUserList::userCount() const {
    std::lock_guard<std::mutex> guard(lock_);
    return users_.size();
}

dvrUserList::UserPointer dvrUserList::userAt(std::size_t index) const {
    std::lock_guard<std::mutex> guard(lock_);
    return index < users_.size() ? users_[index] : nullptr;
}

dvrUserList::UserPointer dvrUserList::currentUser() const {
    std::lock_guard<std::mutex> guard(lock_);
    return currentUser_;
}

void dvrUserList::setCurrentUser(UserPointer user) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        // Only a user of this list can be logged in; one deleted meanwhile cannot.
        if (user && std::find(users_.begin(), users_.end(), user) == users_.end())
            user = nullptr;
        if (user == currentUser_)
            return;
        currentUser_ = std::move(user);
    }
    notify(loggedInUserChanged);
}

void dvrUserList::bindRemoteThread(std::thread::id thread, UserPointer user) {
    std::lock_guard<std::mutex> guard(lock_);
    if (user && std::find(users_.begin(), users_.end(), user) == users_.end())
        user = nullptr;
    remoteUsers_[thread] = std::move(user);
}

void dvrUserList::unbindRemoteThread(std::thread::id thread) {
    std::lock_guard<std::mutex> guard(lock_);
    remoteUsers_.erase(thread);
}

bool dvrUserList::isRemoteThread(std::thread::id thread) const {
    std::lock_guard<std::mutex> guard(lock_);
    return remoteUsers_.count(thread) != 0;
}

dvrUserList::UserPointer dvrUserList::remoteUser(std::thread::id thread) const {
    std::lock_guard<std::mutex> guard(lock_);
    auto found = remoteUsers_.find(thread);
    return found == remoteUsers_.end() ? nullptr : found->second;
}

dvrUserList::UserPointer dvrUserList::findRemoteLoginUser(std::string_view login,
                                                          std::string_view storedPassword) const {
    std::lock_guard<std::mutex> guard(lock_);
    for (const UserPointer& user : users_)
        if (user->login() == login && user->password() == storedPassword && user->right("c_remote") != 0)
            return user;
    return nullptr;
}

bool dvrUserList::hasRight(std::string_view key) const {
    UserPointer user;
    {
        std::lock_guard<std::mutex> guard(lock_);
        auto remote = remoteUsers_.find(std::this_thread::get_id());
        if (remote != remoteUsers_.end()) {
            // "Everything allowed while no user exists" is for the local user interface only.
            user = remote->second;
        } else {
            if (users_.empty())
                return true;
            user = currentUser_;
        }
    }
    return user && user->right(key) != 0;
}

bool dvrUserList::checkRight(dvrLoginPrompt& prompt, std::string_view key) {
    if (hasRight(key))
        return true;
    dvrLoginChecker checker(*this, key);
    if (!prompt.runLogin(checker))
        return false;
    playSound("logon");
    return true;
}

void dvrUserList::setCameraGroupLookup(CameraGroupLookup lookup) {
    auto shared = lookup ? std::make_shared<const CameraGroupLookup>(std::move(lookup)) : nullptr;
    std::lock_guard<std::mutex> guard(lock_);
    cameraGroupLookup_ = std::move(shared);
}

bool dvrUserList::accessGroupAllows(std::string_view cameraName) const {
    std::shared_ptr<const CameraGroupLookup> lookup;
    {
        std::lock_guard<std::mutex> guard(lock_);
        lookup = cameraGroupLookup_;
    }
    // The lookup takes the camera container's lock: never call it under ours.
    std::optional<int> group = lookup ? (*lookup)(cameraName) : std::nullopt;
    if (!group)
        return false;
    UserPointer user;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (users_.empty())
            return true;
        user = currentUser_;
    }
    if (!user)
        return false;
    if (*group == 0)
        return true;
    return user->right("group" + std::to_string(*group)) != 0;
}

void dvrUserList::setSoundPlayer(SoundPlayer player) {
    auto shared = player ? std::make_shared<const SoundPlayer>(std::move(player)) : nullptr;
    std::lock_guard<std::mutex> guard(lock_);
    soundPlayer_ = std::move(shared);
}

void dvrUserList::playSound(const std::string& name) const {
    std::shared_ptr<const SoundPlayer> player;
    {
        std::lock_guard<std::mutex> guard(lock_);
        player = soundPlayer_;
    }
    if (player)
        (*player)(name);
}

int dvrUserList::addUserCommand(const dvrCommand& command) {
    // The duplicate check uses the login as it will be stored, so a long login cannot be added
    // twice by differing only past the cut.
    std::string login = dvrUser::storedLogin(command.argument(0));
    std::optional<std::string> password = dvrPasswordScrambler::storedForm(command.argument(1));
    if (login.empty() || !password)
        return 0;
    std::lock_guard<std::mutex> guard(lock_);
    if (users_.size() >= maximumUsers)
        return 0;
    for (const UserPointer& user : users_)
        if (user->login() == login)
            return 0;
    // The new set has no observers yet, so describing it under the lock tells nobody anything.
    auto user = std::make_shared<dvrUser>(login);
    if (users_.empty()) {
        user->settings().setText("name", dvrTranslation::translate("DVR Administrator"));
        user->makeAdmin();
    }
    user->settings().setText("pass", *password);
    users_.push_back(std::move(user));
    return 1;
}

int dvrUserList::deleteUserCommand(const dvrCommand& command) {
    return removeUser(command.argument(0)) ? 1 : 0;
}

int dvrUserList::deleteAllUsersCommand(const dvrCommand&) {
    removeAllUsers();
    return 1;
}

int dvrUserList::logoutCommand(const dvrCommand&) {
    UserPointer user = currentUser();
    if (!user)
        return 1;
    std::string message = dvrTranslatedMessage::compose("User %s logged out.", "%s", {user->login()});
    logMessage("%s", message.c_str());
    playSound("logoff");
    // Cleared before observers are told, so that they read "nobody".
    setCurrentUser(nullptr);
    return 1;
}

int dvrUserList::applyUserSet(const dvrCommand& command) {
    UserPointer user = findUser(command.argument(1));
    return user ? user->applyUserSet(command) : 0;
}

void dvrUserList::registerCommands(dvrConsole& console) {
    console.setHandler("AddUser", [this](const dvrCommand& command) { return addUserCommand(command); });
    console.setHandler("DelUser", [this](const dvrCommand& command) { return deleteUserCommand(command); });
    console.setHandler("DelUsers",
                       [this](const dvrCommand& command) { return deleteAllUsersCommand(command); });
    console.setHandler("Logout", [this](const dvrCommand& command) { return logoutCommand(command); });
    dvrSettingLines::setScopeHandler("user",
                                     [this](const dvrCommand& command) { return applyUserSet(command); });
}

void dvrUserList::unregisterCommands(dvrConsole& console) {
    for (const char* word : {"AddUser", "DelUser", "DelUsers", "Logout"})
        console.setHandler(word, nullptr);
    dvrSettingLines::setScopeHandler("user", nullptr);
}

void dvrUserList::writeUserSection(std::string& out) const {
    std::vector<UserPointer> users;
    {
        std::lock_guard<std::mutex> guard(lock_);
        users = users_;
    }
    for (const UserPointer& user : users) {
        out.append("adduser ").append(user->login()).append(" ").append(user->password()).append("\n");
        user->settings().writeSettings(out);
        out.append("\n\n");
    }
}
