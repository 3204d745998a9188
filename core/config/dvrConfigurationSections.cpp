#include "config/dvrConfigurationSections.h"

#include <memory>
#include <mutex>

namespace {

std::mutex registryLock;
std::shared_ptr<const dvrConfigurationSections::BoardLister> boardLister;
std::shared_ptr<const dvrConfigurationSections::CameraLister> cameraLister;
std::shared_ptr<const dvrConfigurationSections::UserLister> userLister;
std::shared_ptr<const dvrConfigurationSections::RulesWriter> rulesWriter;
std::shared_ptr<const dvrConfigurationSections::LanguageNamer> languageNamer;

template <typename Function> void store(std::shared_ptr<const Function>& slot, Function function) {
    auto shared = function ? std::make_shared<const Function>(std::move(function)) : nullptr;
    std::lock_guard<std::mutex> guard(registryLock);
    slot = std::move(shared);
}

// The lister runs outside the registry lock, so it may take its owner's locks freely.
template <typename Function>
std::shared_ptr<const Function> load(const std::shared_ptr<const Function>& slot) {
    std::lock_guard<std::mutex> guard(registryLock);
    return slot;
}

} // namespace

void dvrConfigurationSections::setBoards(BoardLister lister) {
    store(boardLister, std::move(lister));
}
void dvrConfigurationSections::setCameras(CameraLister lister) {
    store(cameraLister, std::move(lister));
}
void dvrConfigurationSections::setUsers(UserLister lister) {
    store(userLister, std::move(lister));
}
void dvrConfigurationSections::setRules(RulesWriter writer) {
    store(rulesWriter, std::move(writer));
}
void dvrConfigurationSections::setLanguageName(LanguageNamer namer) {
    store(languageNamer, std::move(namer));
}

std::vector<dvrConfigurationSections::Board> dvrConfigurationSections::boards() {
    auto lister = load(boardLister);
    return lister ? (*lister)() : std::vector<Board>();
}

std::vector<dvrConfigurationSections::Camera> dvrConfigurationSections::cameras() {
    auto lister = load(cameraLister);
    return lister ? (*lister)() : std::vector<Camera>();
}

std::vector<dvrConfigurationSections::User> dvrConfigurationSections::users() {
    auto lister = load(userLister);
    return lister ? (*lister)() : std::vector<User>();
}

std::string dvrConfigurationSections::rules() {
    auto writer = load(rulesWriter);
    return writer ? (*writer)() : std::string();
}

std::string dvrConfigurationSections::languageName() {
    auto namer = load(languageNamer);
    std::string name = namer ? (*namer)() : std::string();
    return name.empty() ? "default" : name;
}
