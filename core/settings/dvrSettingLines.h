#pragma once

#include <functional>
#include <string_view>

class dvrCommand;
class dvrSettingSet;

// Routes "set" and "get" lines by their scope word. The global scope is handled here; boards,
// cameras and users are reached through handlers their containers register.
class dvrSettingLines {
public:
    using ScopeHandler = std::function<int(const dvrCommand&)>;
    // Reaction to an "int" line of one global key, after the value is stored.
    using GlobalReaction = std::function<void(int value)>;

    static int route(const dvrCommand& command);
    static int applyGlobal(dvrSettingSet& settings, const dvrCommand& command);

    // An empty handler removes the registration.
    static void setScopeHandler(std::string_view scope, ScopeHandler handler);
    static void setGlobalReaction(std::string_view key, GlobalReaction reaction);
};
