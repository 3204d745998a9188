#include "settings/dvrSettingLines.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "console/dvrCommand.h"
#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingSet.h"
#include "text/dvrText.h"

namespace {

std::mutex registryLock;
std::map<std::string, std::shared_ptr<const dvrSettingLines::ScopeHandler>> scopeHandlers;
std::map<std::string, std::shared_ptr<const dvrSettingLines::GlobalReaction>> globalReactions;

template <typename Function>
std::shared_ptr<const Function> lookUp(const std::map<std::string, std::shared_ptr<const Function>>& registry,
                                       std::string_view name) {
    std::lock_guard<std::mutex> guard(registryLock);
    auto found = registry.find(dvrText::lowerCase(name));
    return found == registry.end() ? nullptr : found->second;
}

template <typename Function>
void store(std::map<std::string, std::shared_ptr<const Function>>& registry, std::string_view name,
           Function function) {
    std::lock_guard<std::mutex> guard(registryLock);
    if (function)
        registry[dvrText::lowerCase(name)] = std::make_shared<const Function>(std::move(function));
    else
        registry.erase(dvrText::lowerCase(name));
}

} // namespace

int dvrSettingLines::route(const dvrCommand& command) {
    const std::string& scope = command.argument(0);
    if (dvrText::equalsIgnoringCase(scope, "global")) {
        dvrSettingSet* settings = dvrGlobalSettings::instance();
        return settings ? applyGlobal(*settings, command) : 0;
    }
    if (dvrText::equalsIgnoringCase(scope, "board") || dvrText::equalsIgnoringCase(scope, "camera") ||
        dvrText::equalsIgnoringCase(scope, "user")) {
        auto handler = lookUp(scopeHandlers, scope);
        return handler ? (*handler)(command) : 0;
    }
    // "vcamera" and unknown scopes are accepted and ignored.
    return 1;
}

int dvrSettingLines::applyGlobal(dvrSettingSet& settings, const dvrCommand& command) {
    const std::string& key = command.argument(2);
    const std::string& type = command.argument(3);
    const std::string& value = command.argument(4);
    if (dvrText::equalsIgnoringCase(type, "int")) {
        int number = dvrText::toInt(value);
        settings.setInt(key, number);
        settings.setText(key, std::to_string(number));
        if (auto reaction = lookUp(globalReactions, key))
            (*reaction)(number);
    } else if (dvrText::equalsIgnoringCase(type, "string")) {
        settings.setText(key, value);
    } else if (dvrText::equalsIgnoringCase(type, "float")) {
        float number = static_cast<float>(dvrText::toReal(value));
        settings.setReal(key, number);
        settings.setText(key, dvrText::fixed(number, 4));
    }
    return 1;
}

void dvrSettingLines::setScopeHandler(std::string_view scope, ScopeHandler handler) {
    store(scopeHandlers, scope, std::move(handler));
}

void dvrSettingLines::setGlobalReaction(std::string_view key, GlobalReaction reaction) {
    store(globalReactions, key, std::move(reaction));
}
