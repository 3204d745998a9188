#include "users/dvrUserAdministration.h"

#include <string>

#include "console/dvrConsole.h"
#include "dialog/dvrUserInterface.h"
#include "language/dvrTranslation.h"
#include "users/dvrLoginChecker.h"
#include "users/dvrLoginPrompt.h"
#include "users/dvrUserList.h"

namespace {
constexpr const char* programName = "Mirdal DVR";
}

dvrUserAdministration::dvrUserAdministration(dvrUserList& users, dvrConsole& console)
    : users_(users), console_(console) {}

bool dvrUserAdministration::addUser(dvrLoginPrompt& prompt) {
    if (!users_.checkRight(prompt, "c_users"))
        return false;
    dvrLoginChecker checker(users_);
    std::string login;
    std::string password;
    if (!prompt.runNewUser(checker, login, password))
        return false;
    return console_.run(dvrLoginChecker::addUserLine(login, password)) == 1;
}

bool dvrUserAdministration::removeUser(std::string_view login, dvrLoginPrompt& prompt,
                                       dvrUserInterface& userInterface) {
    if (!users_.checkRight(prompt, "c_users"))
        return false;
    dvrUserList::UserPointer user = users_.findUser(login);
    if (!user)
        return false;
    if (user->right("admin") == 1 && users_.userCount() > 1) {
        userInterface.showMessage(
            programName,
            dvrTranslation::translate("Administrator can't be removed if other users are present!"),
            dvrUserInterface::Icon::information);
        return false;
    }
    if (users_.currentUser() == user)
        console_.run("logout");
    return console_.run("deluser " + user->login()) == 1;
}
