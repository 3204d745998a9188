#pragma once

#include "users/dvrLoginPrompt.h"

// The login prompt of a program without windows: nobody can type a login, so every login and
// every new user is refused, with a log line naming what was asked for.
class dvrRefusingLoginPrompt : public dvrLoginPrompt {
public:
    bool runLogin(dvrLoginChecker& checker) override;
    bool runNewUser(dvrLoginChecker& checker, std::string& login, std::string& password) override;
};
