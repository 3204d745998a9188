#pragma once

#include <string_view>

class dvrConsole;
class dvrLoginPrompt;
class dvrUserInterface;
class dvrUserList;

// What the setup window does to users. Both operations first make sure the person at the screen
// holds "c_users" (asking for a login when needed); the changes themselves are command lines, so
// they act exactly as the same lines typed in the console.
class dvrUserAdministration {
public:
    dvrUserAdministration(dvrUserList& users, dvrConsole& console);

    // The new-user dialog, then "AddUser" with what was typed. False when refused or cancelled.
    bool addUser(dvrLoginPrompt& prompt);

    // Removes the user with exactly this login: refused with a message while it is the
    // administrator and other users exist; logged out first when it is the logged-in user.
    bool removeUser(std::string_view login, dvrLoginPrompt& prompt, dvrUserInterface& userInterface);

private:
    dvrUserList& users_;
    dvrConsole& console_;
};
