#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "settings/dvrSettingSet.h"

class dvrCommand;

// One user of the recorder: a login name and a settings set of rights and access groups. The set
// has the scope word "user" and the login name as its object name, so its setting lines name the
// user. A new user has no rights.
class dvrUser {
public:
    static constexpr std::size_t maximumLoginLength = 31;

    // The login is kept on one line and cut to maximumLoginLength.
    explicit dvrUser(std::string_view login);
    dvrUser(const dvrUser&) = delete;
    dvrUser& operator=(const dvrUser&) = delete;

    // The login name as stored (already bounded), for comparisons and lines.
    static std::string storedLogin(std::string_view login);

    const std::string& login() const { return login_; }
    dvrSettingSet& settings() { return settings_; }
    const dvrSettingSet& settings() const { return settings_; }
    // The stored (scrambled) "pass" text.
    std::string password() const;
    // The integer value of the setting key; 0 for a key the user does not have.
    int right(std::string_view key) const;

    // Grants every right and access group and locks the set, so the editor shows it read-only.
    void makeAdmin();

    // Applies a setting line of scope "user" aimed at this user. A "pass" text is stored
    // scrambled unless it already is; one whose scrambled form would not fit fails and leaves
    // the old password.
    int applyUserSet(const dvrCommand& command);

private:
    void describeSettings();

    const std::string login_;
    dvrSettingSet settings_;
};
