#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

class dvrUserList;

// Judges what was typed into a login dialog. In login mode a matching user with the right being
// checked becomes the locally logged-in user; in new-user mode the typed login and password are
// checked before a user is added. One checker serves one dialog, counting its failures.
class dvrLoginChecker {
public:
    enum class Mode { login, newUser };

    // Longer typed texts are refused whole, never cut into something that might match.
    static constexpr std::size_t maximumTypedLength = 511;
    static constexpr std::size_t minimumLoginLength = 2;
    static constexpr std::size_t minimumPasswordLength = 4;

    // Login mode, checking the right rightKey.
    dvrLoginChecker(dvrUserList& users, std::string_view rightKey);
    // New-user mode.
    explicit dvrLoginChecker(dvrUserList& users);

    Mode mode() const { return mode_; }
    const std::string& rightKey() const { return rightKey_; }

    // Login mode: logs the user in when the password matches and the user has the right. New-user
    // mode: whether login and password may make a new user.
    bool check(std::string_view login, std::string_view password);
    // New-user mode: check, then whether the confirmation repeats the password.
    bool checkNewUser(std::string_view login, std::string_view password, std::string_view confirmation);

    // The message of the last failed check; empty when none was given.
    const std::string& errorText() const { return errorText_; }
    // What the dialog shows after a failure: the error text, or "Login incorrect." without one.
    std::string failureText() const;
    // Set when the last check found the user but not the right.
    bool noRights() const { return noRights_; }
    int failures() const { return failures_; }
    // The wait the dialog makes before the next attempt; none in new-user mode.
    std::chrono::seconds waitAfterFailure() const;

    // The command line that adds the user a new-user dialog accepted.
    static std::string addUserLine(std::string_view login, std::string_view password);

private:
    bool checkLogin(std::string_view login, std::string_view password);
    bool checkNewLogin(std::string_view login, std::string_view password);
    bool fail(std::string text);

    dvrUserList& users_;
    Mode mode_;
    std::string rightKey_;
    std::string errorText_;
    bool noRights_ = false;
    int failures_ = 0;
};
