#include "users/dvrLoginChecker.h"

#include <optional>

#include "language/dvrTranslation.h"
#include "log/dvrLog.h"
#include "text/dvrText.h"
#include "users/dvrLoginBackoff.h"
#include "users/dvrPasswordScrambler.h"
#include "language/dvrTranslatedMessage.h"
#include "users/dvrUserList.h"

namespace {

// The dialog promises "2 to 30 letters".
constexpr std::size_t maximumNewLoginLength = 30;

std::string errorMessage(const char* reason) {
    return dvrTranslatedMessage::compose("Error: %s", "%s", {dvrTranslation::translate(reason)});
}

// A typed text as it may appear in a log line.
std::string loggable(std::string_view text) {
    return dvrText::singleLine(dvrText::cut(text, dvrLoginChecker::maximumTypedLength));
}

// Blanks and control characters would split or end the command lines a login name and password
// travel in ("AddUser %s %s", "set user %s ...").
bool fitsOneField(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) <= ' ' || c == '\x7f')
            return false;
    return true;
}

} // namespace

dvrLoginChecker::dvrLoginChecker(dvrUserList& users, std::string_view rightKey)
    : users_(users), mode_(Mode::login), rightKey_(dvrText::cut(rightKey, dvrSetting::maximumKeyLength)) {}

dvrLoginChecker::dvrLoginChecker(dvrUserList& users) : users_(users), mode_(Mode::newUser) {}

bool dvrLoginChecker::check(std::string_view login, std::string_view password) {
    errorText_.clear();
    noRights_ = false;
    return mode_ == Mode::login ? checkLogin(login, password) : checkNewLogin(login, password);
}

bool dvrLoginChecker::checkNewUser(std::string_view login, std::string_view password,
                                   std::string_view confirmation) {
    if (!check(login, password))
        return false;
    if (password != confirmation)
        return fail(dvrTranslation::translate("Passwords do not match."));
    return true;
}

bool dvrLoginChecker::fail(std::string text) {
    errorText_ = std::move(text);
    ++failures_;
    return false;
}

bool dvrLoginChecker::checkLogin(std::string_view login, std::string_view password) {
    dvrUserList::UserPointer user;
    if (login.size() <= maximumTypedLength && password.size() <= maximumTypedLength)
        user = users_.findUser(login);
    // What was typed is always scrambled, also when it starts with "]": typing the stored form
    // must not log anybody in.
    std::optional<std::string> typed = dvrPasswordScrambler::scramble(password);
    if (!user || !typed || user->password() != *typed) {
        std::string message =
            dvrTranslatedMessage::compose("Incorrect login (user %s)", "%s", {loggable(login)});
        logMessage("%s", message.c_str());
        return fail(errorMessage("Login failed! Please check your username and password."));
    }
    if (user->right(rightKey_) == 0) {
        std::string message = dvrTranslatedMessage::compose(
            "The user %s tried to access '%s' with no rights.", "%s", {user->login(), rightKey_});
        logMessage("%s", message.c_str());
        noRights_ = true;
        return fail(errorMessage("The user has no rights for this command."));
    }
    users_.setCurrentUser(user);
    std::string message = dvrTranslatedMessage::compose("User %s logged in.", "%s", {user->login()});
    logMessage("%s", message.c_str());
    return true;
}

bool dvrLoginChecker::checkNewLogin(std::string_view login, std::string_view password) {
    if (login.size() <= maximumTypedLength && users_.findUser(login))
        return fail(dvrTranslatedMessage::compose(
            "Error: %s", "%s",
            {dvrTranslatedMessage::compose("User `%s' already exists.", "%s", {loggable(login)})}));
    if (login.size() < minimumLoginLength)
        return fail(errorMessage("Login name is too short."));
    if (password.size() < minimumPasswordLength)
        return fail(errorMessage("Password is too short."));
    if (login.size() > maximumNewLoginLength)
        return fail(errorMessage("Login name is too long."));
    if (!fitsOneField(login))
        return fail(errorMessage("Login name may not contain spaces."));
    if (password.size() > maximumTypedLength || !dvrPasswordScrambler::scramble(password))
        return fail(errorMessage("Password is too long."));
    if (!fitsOneField(password))
        return fail(errorMessage("Password may not contain spaces."));
    return true;
}

std::string dvrLoginChecker::failureText() const {
    return errorText_.empty() ? dvrTranslation::translate("Login incorrect.") : errorText_;
}

std::chrono::seconds dvrLoginChecker::waitAfterFailure() const {
    return mode_ == Mode::newUser ? std::chrono::seconds(0) : dvrLoginBackoff::waitAfter(failures_);
}

std::string dvrLoginChecker::addUserLine(std::string_view login, std::string_view password) {
    std::string line = "AddUser ";
    line.append(login).append(" ").append(password);
    return line;
}
