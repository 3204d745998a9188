#pragma once

#include <string>

class dvrLoginChecker;

// The login dialogs, implemented by whoever talks to the user: windows in the desktop program, a
// refusal in the headless recorder.
class dvrLoginPrompt {
public:
    virtual ~dvrLoginPrompt() = default;

    // Shows the login dialog ("Login - %s" with "Mirdal DVR", "Please log in to continue. You may
    // also cancel.") and hands every OK to checker.check. After a failure it shows
    // checker.failureText(), waits checker.waitAfterFailure() on a timer, clears the password and
    // puts the focus on the login field when checker.noRights(), else on the password field.
    // Returns true when a check succeeded, false when cancelled.
    virtual bool runLogin(dvrLoginChecker& checker) = 0;

    // Shows the same dialog in new-user mode ("Add user") with a confirmation field and hands
    // every OK to checker.checkNewUser. On success fills login and password and returns true;
    // false when cancelled.
    virtual bool runNewUser(dvrLoginChecker& checker, std::string& login, std::string& password) = 0;
};
