#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "object/dvrNotifier.h"
#include "users/dvrUser.h"

class dvrCommand;
class dvrConsole;
class dvrLoginPrompt;

// The users of the recorder, in the order they were added, with the user logged in on the local
// user interface and the users logged in on network threads. Owned by the core engine.
//
// Observers (the main window) hear of a change of the locally logged-in user through the event
// bit loggedInUserChanged; read currentUser() to learn who it is now.
//
// Every operation may be called from any thread. Users are handed out as shared pointers, so a
// network thread checking a right never reads a user that another thread is deleting; a deleted
// user is no longer logged in anywhere.
class dvrUserList : public dvrNotifier {
public:
    static constexpr std::size_t maximumUsers = 128;
    // Event bit: the user logged in on the local user interface changed.
    static constexpr std::uint32_t loggedInUserChanged = 1;

    using UserPointer = std::shared_ptr<dvrUser>;
    // The access group (the setting "group") of the camera with this name; nothing when no camera
    // has that name.
    using CameraGroupLookup = std::function<std::optional<int>(std::string_view cameraName)>;
    // Plays a named sound effect ("logon", "logoff").
    using SoundPlayer = std::function<void(const std::string& soundName)>;

    dvrUserList();
    ~dvrUserList() override;

    // The user whose login equals login exactly (letter case counts); null when none.
    UserPointer findUser(std::string_view login) const;
    // Adds a user with no rights at the end; null when the list is full.
    UserPointer addUser(std::string_view login);
    // Removes the first user whose login matches without regard to case.
    bool removeUser(std::string_view login);
    void removeAllUsers();
    std::size_t userCount() const;
    // Null past the end.
    UserPointer userAt(std::size_t index) const;

    // The user logged in on the local user interface; null when nobody is.
    UserPointer currentUser() const;
    // Logs user in locally (null: nobody), telling observers when that changes who is logged in.
    void setCurrentUser(UserPointer user);

    // The network server binds each connection thread: with no user when the connection starts or
    // a login fails or ends, with the user after a successful login. A bound thread with no user
    // has no rights at all, even while no user exists.
    void bindRemoteThread(std::thread::id thread, UserPointer user);
    // Forgets the thread (when it ends).
    void unbindRemoteThread(std::thread::id thread);
    bool isRemoteThread(std::thread::id thread) const;
    UserPointer remoteUser(std::thread::id thread) const;
    // The user a network login names: login and stored "pass" text both equal exactly, and the
    // user has "c_remote". Null when there is none.
    UserPointer findRemoteLoginUser(std::string_view login, std::string_view storedPassword) const;

    // Whether the calling thread may use the right key, without asking anybody: on a network
    // thread the thread's user decides; elsewhere everything is allowed while no user exists,
    // else the locally logged-in user decides.
    bool hasRight(std::string_view key) const;
    // hasRight, or else the login procedure through prompt (which then decides). After a login
    // the sound "logon" is played.
    bool checkRight(dvrLoginPrompt& prompt, std::string_view key);

    // Whether the locally logged-in user may see the camera with this name (used by the windows
    // that list cameras).
    void setCameraGroupLookup(CameraGroupLookup lookup);
    bool accessGroupAllows(std::string_view cameraName) const;

    void setSoundPlayer(SoundPlayer player);

    // Command handlers.
    int addUserCommand(const dvrCommand& command);
    int deleteUserCommand(const dvrCommand& command);
    int deleteAllUsersCommand(const dvrCommand& command);
    int logoutCommand(const dvrCommand& command);
    // Routes a setting line of scope "user" to the user its object name names (exactly); fails
    // when there is none.
    int applyUserSet(const dvrCommand& command);

    // Gives "AddUser", "DelUser", "DelUsers" and "Logout" to console, and takes the setting lines
    // of scope "user". The handlers refer to this list: unregister before destroying it.
    void registerCommands(dvrConsole& console);
    void unregisterCommands(dvrConsole& console);

    // The user part of the configuration script: per user, "adduser" with login and stored
    // password, the user's setting lines, and an empty line.
    void writeUserSection(std::string& out) const;

private:
    // Removes users from the list and from every login pointing at them; returns whether the
    // local login was among them. Called with lock_ held.
    bool forgetLogins(const std::vector<UserPointer>& removed);
    void playSound(const std::string& name) const;

    mutable std::mutex lock_;
    std::vector<UserPointer> users_;
    UserPointer currentUser_;
    std::map<std::thread::id, UserPointer> remoteUsers_;
    std::shared_ptr<const CameraGroupLookup> cameraGroupLookup_;
    std::shared_ptr<const SoundPlayer> soundPlayer_;
};
