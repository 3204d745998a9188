#include "dvrCore.h"

#include <atomic>

#include "console/dvrCommand.h"
#include "console/dvrConsole.h"
#include "dvrBoard.h"
#include "dvrBoardContainer.h"
#include "dvrCamera.h"
#include "dvrCameraContainer.h"
#include "dvrDeviceKinds.h"
#include "language/dvrTranslation.h"
#include "log/dvrLog.h"
#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingLines.h"
#include "settings/dvrSettingSet.h"
#include "config/dvrConfigurationSections.h"
#include "text/dvrText.h"
#include "users/dvrUserList.h"

namespace {

std::atomic<dvrCore*> theCore{nullptr};

bool nameFits(std::string_view name) {
    if (name.size() <= dvrCore::maximumNameLength)
        return true;
    logMessage("[CORE] Name `%s' is longer than %zu characters, not added.\n",
               dvrText::singleLine(dvrText::cut(name, 64)).c_str(), dvrCore::maximumNameLength);
    return false;
}

} // namespace

dvrCore* dvrCore::instance() { return theCore.load(); }

dvrCore* dvrCore::create() {
    if (!theCore.load()) {
        auto* core = new dvrCore();
        core->registerConfigurationSections();
        theCore.store(core);
    }
    return theCore.load();
}

void dvrCore::destroy() {
    dvrCore* core = theCore.load();
    if (!core)
        return;
    core->shutDown();
    theCore.store(nullptr);
    delete core;
}

dvrCore::dvrCore()
    : boards_(std::make_unique<dvrBoardContainer>()), cameras_(std::make_unique<dvrCameraContainer>()),
      users_(std::make_unique<dvrUserList>()) {
    dvrDeviceKinds::registerAll(*boards_, *cameras_);
    users_->setCameraGroupLookup([this](std::string_view name) -> std::optional<int> {
        dvrCamera* camera = cameras_->findCamera(name);
        if (!camera)
            return std::nullopt;
        return camera->getSettings()->getInt("group");
    });
}

dvrCore::~dvrCore() {
    shutDown();
    if (sectionsRegistered_) {
        dvrConfigurationSections::setBoards(nullptr);
        dvrConfigurationSections::setCameras(nullptr);
        dvrConfigurationSections::setUsers(nullptr);
    }
}

void dvrCore::registerConfigurationSections() {
    sectionsRegistered_ = true;
    dvrConfigurationSections::setBoards([this] {
        std::vector<dvrConfigurationSections::Board> list;
        for (dvrBoard* board : boards_->boards()) {
            std::string settings;
            board->getSettings()->writeSettings(settings);
            list.push_back({board->getTypeName(), board->getName(), settings});
        }
        return list;
    });
    dvrConfigurationSections::setCameras([this] {
        std::vector<dvrConfigurationSections::Camera> list;
        for (dvrCamera* camera : cameras_->cameras()) {
            // A remote recorder's cameras come back through that recorder's board.
            if (camera->getBoard() && camera->getBoard()->isRemote())
                continue;
            dvrSettingSet* settings = camera->getSettings();
            std::string lines;
            settings->writeSettings(lines);
            list.push_back({camera->getBoard() ? camera->getBoard()->getName() : std::string(), camera->getInput(),
                            camera->getName(), settings->getInt("framerate"), lines});
        }
        return list;
    });
    dvrConfigurationSections::setUsers([this] {
        std::vector<dvrConfigurationSections::User> list;
        for (std::size_t i = 0; i < users_->userCount(); ++i) {
            dvrUserList::UserPointer user = users_->userAt(i);
            if (!user)
                break;
            std::string lines;
            user->settings().writeSettings(lines);
            list.push_back({user->login(), user->password(), lines});
        }
        return list;
    });
}

void dvrCore::registerCommands(dvrConsole& console) {
    console.setHandler("AddCard", [this](const dvrCommand& c) { return addCard(c); });
    console.setHandler("DelCard", [this](const dvrCommand& c) { return delCard(c); });
    console.setHandler("DelCards", [this](const dvrCommand& c) { return delCards(c); });
    console.setHandler("AddCamera", [this](const dvrCommand& c) { return addCamera(c); });
    console.setHandler("DelCamera", [this](const dvrCommand& c) { return delCamera(c); });
    console.setHandler("DelCameras", [this](const dvrCommand& c) { return delCameras(c); });
    console.setHandler("Dome", [this](const dvrCommand& c) { return dome(c); });
    console.setHandler("Start", [this](const dvrCommand&) { return start(); });
    console.setHandler("Stop", [this](const dvrCommand&) { return stop(); });
    console.setHandler("Refresh", [this](const dvrCommand&) { return refresh(); });
    users_->registerCommands(console);
    // Setting lines for boards and cameras go to the object they name.
    dvrSettingLines::setScopeHandler("board", [this](const dvrCommand& c) {
        dvrBoard* board = boards_->findBoard(c.argument(1));
        return board ? board->applySet(c) : 0;
    });
    dvrSettingLines::setScopeHandler("camera", [this](const dvrCommand& c) {
        dvrCamera* camera = cameras_->findCamera(c.argument(1));
        return camera ? camera->applySet(c) : 0;
    });
    scopesRegistered_ = true;
}

int dvrCore::addCard(const dvrCommand& command) {
    if (!nameFits(command.argument(1)))
        return 0;
    return boards_->addBoard(command.argument(0), command.argument(1));
}

int dvrCore::delCard(const dvrCommand& command) {
    bool wasCapturing = capturing_;
    if (wasCapturing)
        stop();
    // Only the board with exactly that name goes, and its cameras with it; a name that merely
    // contains the text deletes nothing (its cameras would otherwise go without the board).
    bool deleted = false;
    if (dvrBoard* board = boards_->findBoardExactly(command.argument(0))) {
        for (dvrCamera* camera : cameras_->camerasOf(board))
            cameras_->deleteCamera(camera);
        deleted = boards_->deleteBoard(command.argument(0));
    }
    if (wasCapturing)
        restart();
    return deleted ? 1 : 0;
}

int dvrCore::delCards(const dvrCommand&) {
    // Capture stops before anything it uses goes away.
    if (capturing_)
        stop();
    cameras_->deleteAll();
    capturing_ = false;
    if (boards_->deleteAll()) {
        logMessage("%s", dvrTranslation::translate("All boards deleted.\n").c_str());
        return 1;
    }
    logMessage("%s", dvrTranslation::translate("Board delete failed!\n").c_str());
    return 0;
}

int dvrCore::addCamera(const dvrCommand& command) {
    int input = dvrText::toInt(command.argument(1));
    const std::string& name = command.argument(2);
    if (!nameFits(name))
        return 0;
    dvrBoard* board = boards_->findBoard(command.argument(0));
    if (!board)
        return 0;
    if (!cameras_->addCamera(board->getCameraType(input), input, name, board))
        return 0;
    dvrCamera* camera = cameras_->findCamera(name);
    if (!camera)
        return 0;
    if (capturing_ && !board->isRemote()) {
        camera->init();
        camera->start();
    }
    return 1;
}

int dvrCore::delCamera(const dvrCommand& command) { return cameras_->deleteCamera(command.argument(0)) ? 1 : 0; }

int dvrCore::delCameras(const dvrCommand&) { return cameras_->deleteAll() ? 1 : 0; }

int dvrCore::dome(const dvrCommand& command) {
    dvrCamera* camera = cameras_->findCamera(command.argument(0));
    if (!camera)
        return 0;
    camera->domeCommand(command);
    return 1;
}

int dvrCore::start() {
    cameras_->initAll();
    if (!boards_->openAndStartAll())
        return 0;
    capturing_ = true;
    return cameras_->startAll() ? 1 : 0;
}

int dvrCore::stop() {
    if (!cameras_->stopAll())
        return 0;
    capturing_ = false;
    return boards_->stopAll() ? 1 : 0;
}

void dvrCore::restart() { start(); }

int dvrCore::refresh() {
    boards_->updateAll();

    if (dvrSettingSet* global = dvrGlobalSettings::instance()) {
        int tooltips = global->getInt("tooltips_enabled");
        if (tooltips != rememberedTooltips_) {
            if (tooltipSwitch_)
                tooltipSwitch_(tooltips == 1);
            rememberedTooltips_ = tooltips;
        }
    }

    for (dvrCamera* camera : cameras_->cameras()) {
        dvrSettingSet* settings = camera->getSettings();
        if (settings->getInt("restartnow") != 1)
            continue;
        // Outside capture there is nothing to restart; "start" initialises every camera anyway.
        if (capturing_) {
            camera->stop();
            camera->init();
            camera->start();
        }
        settings->setInt("restartnow", 0);
    }

    if (rules_)
        ruleStates_.update(*rules_);

    if (dvrConsole* console = dvrConsole::instance())
        console->drainQueue();
    return 1;
}

bool dvrCore::hasRight(std::string_view key) const { return users_->hasRight(key); }

bool dvrCore::checkRight(dvrLoginPrompt& prompt, std::string_view key) { return users_->checkRight(prompt, key); }

bool dvrCore::accessGroupAllows(std::string_view cameraName) const { return users_->accessGroupAllows(cameraName); }

dvrBoard* dvrCore::findBoard(std::string_view name) const { return boards_->findBoard(name); }

dvrCamera* dvrCore::findCamera(std::string_view name) const { return cameras_->findCamera(name); }

dvrCamera* dvrCore::findCameraAt(int boardId, int input) const { return cameras_->findCameraAt(boardId, input); }

int dvrCore::countBoards(std::string_view typeName) const {
    int count = 0;
    for (dvrBoard* board : boards_->boards())
        if (typeName.empty() || dvrText::equalsIgnoringCase(board->getTypeName(), typeName))
            ++count;
    return count;
}

void dvrCore::shutDown() {
    if (capturing_ && cameras_->stopAll()) {
        capturing_ = false;
        boards_->stopAll();
    }
    for (dvrBoard* board : boards_->boards())
        if (board->isUnique())
            boards_->deleteBoard(board->getName());
    cameras_->deleteAll();
    boards_->deleteAll();
    if (dvrConsole* console = dvrConsole::instance())
        users_->unregisterCommands(*console);
    if (scopesRegistered_) {
        dvrSettingLines::setScopeHandler("board", nullptr);
        dvrSettingLines::setScopeHandler("camera", nullptr);
        scopesRegistered_ = false;
    }
    users_->removeAllUsers();
}
