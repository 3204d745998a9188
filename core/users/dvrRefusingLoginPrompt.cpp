#include "users/dvrRefusingLoginPrompt.h"

#include "log/dvrLog.h"
#include "users/dvrLoginChecker.h"
#include "language/dvrTranslatedMessage.h"

bool dvrRefusingLoginPrompt::runLogin(dvrLoginChecker& checker) {
    std::string message = dvrTranslatedMessage::compose(
        "[CORE] No login dialog without windows: access to '%s' refused.", "%s", {checker.rightKey()});
    logMessage("%s", message.c_str());
    return false;
}

bool dvrRefusingLoginPrompt::runNewUser(dvrLoginChecker&, std::string&, std::string&) {
    std::string message = dvrTranslatedMessage::compose("[CORE] No login dialog without windows: %s refused.",
                                                        "%s", {"Add user"});
    logMessage("%s", message.c_str());
    return false;
}
