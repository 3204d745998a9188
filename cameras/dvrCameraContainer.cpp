#include "dvrCameraContainer.h"

#include <map>
#include <mutex>
#include <string>

#include "dvrBoard.h"
#include "language/dvrTranslatedMessage.h"
#include "log/dvrLog.h"
#include "settings/dvrSettingSet.h"
#include "text/dvrText.h"

namespace {
std::mutex kindLock;
std::map<int, dvrCameraContainer::Factory>& kinds() {
    static std::map<int, dvrCameraContainer::Factory> table;
    return table;
}
} // namespace

void dvrCameraContainer::registerKind(int cameraType, Factory factory) {
    std::lock_guard<std::mutex> guard(kindLock);
    kinds()[cameraType] = std::move(factory);
}

void dvrCameraContainer::unregisterKind(int cameraType) {
    std::lock_guard<std::mutex> guard(kindLock);
    kinds().erase(cameraType);
}

dvrCameraContainer::~dvrCameraContainer() {
    deleteAll();
}

int dvrCameraContainer::addCamera(int cameraType, int input, std::string_view name, dvrBoard* board) {
    // A camera is found, saved and deleted by its name, so it needs one that fits a setting line.
    if (name.empty() || name.size() > maximumNameLength ||
        name.find_first_of(" \t\r\n") != std::string_view::npos) {
        logMessage("[CAMERA] Camera name `%s' cannot be used.\n",
                   dvrText::singleLine(dvrText::cut(name, 64)).c_str());
        return 0;
    }
    Factory factory;
    {
        std::lock_guard<std::mutex> guard(kindLock);
        auto kind = kinds().find(cameraType);
        if (kind != kinds().end())
            factory = kind->second;
    }
    std::unique_ptr<dvrCamera> camera = factory ? factory(board) : nullptr;
    if (!camera) {
        logMessage("%s", dvrTranslatedMessage::compose(
                             "[CAMERA] Unhandled camera type %d in dvrCameraContainer::addCamera!", "%d",
                             {std::to_string(cameraType)})
                             .c_str());
        return 0;
    }
    if (!camera->attach(input)) {
        // It never had a name or a window: destroying it must not close another camera's.
        camera->getSettings()->setInt("noclosewindow", 1);
        return 0;
    }
    camera->setName(name);
    cameras_.push_back(std::move(camera));
    return 1;
}

bool dvrCameraContainer::initAll() {
    for (const auto& camera : cameras_) {
        if (!camera->init()) {
            logMessage("%s", dvrTranslatedMessage::compose("Camera %s init failed!", "%s",
                                                           {dvrText::singleLine(camera->getName())})
                                 .c_str());
            return false;
        }
    }
    return true;
}

bool dvrCameraContainer::startAll() {
    for (const auto& camera : cameras_)
        if (!camera->start())
            return false;
    return true;
}

bool dvrCameraContainer::stopAll() {
    for (const auto& camera : cameras_)
        if (!camera->stop())
            return false;
    return true;
}

std::vector<dvrCamera*> dvrCameraContainer::cameras() const {
    std::vector<dvrCamera*> list;
    for (const auto& camera : cameras_)
        list.push_back(camera.get());
    return list;
}

std::vector<dvrCamera*> dvrCameraContainer::camerasOf(const dvrBoard* board) const {
    std::vector<dvrCamera*> list;
    for (const auto& camera : cameras_)
        if (camera->getBoard() == board)
            list.push_back(camera.get());
    return list;
}

dvrCamera* dvrCameraContainer::findCamera(std::string_view name) const {
    for (const auto& camera : cameras_)
        if (dvrText::equalsIgnoringCase(camera->getName(), name))
            return camera.get();
    // Part of a name still finds a camera, but only when no camera has exactly that name.
    for (const auto& camera : cameras_)
        if (camera->getName().find(name) != std::string::npos)
            return camera.get();
    return nullptr;
}

dvrCamera* dvrCameraContainer::findCameraAt(int boardId, int input) const {
    for (const auto& camera : cameras_) {
        int id = camera->getBoard() ? camera->getBoard()->getId() : -1;
        if (id == boardId && camera->getInput() == input)
            return camera.get();
    }
    return nullptr;
}

bool dvrCameraContainer::deleteCamera(std::string_view name) {
    for (auto camera = cameras_.begin(); camera != cameras_.end(); ++camera) {
        if (dvrText::equalsIgnoringCase((*camera)->getName(), name)) {
            // Taken out of the list before it is destroyed, so nothing finds a dying camera.
            std::unique_ptr<dvrCamera> dying = std::move(*camera);
            cameras_.erase(camera);
            dying->stop();
            return true;
        }
    }
    return false;
}

bool dvrCameraContainer::deleteCamera(const dvrCamera* target) {
    for (auto camera = cameras_.begin(); camera != cameras_.end(); ++camera) {
        if (camera->get() == target) {
            std::unique_ptr<dvrCamera> dying = std::move(*camera);
            cameras_.erase(camera);
            dying->stop();
            return true;
        }
    }
    return false;
}

bool dvrCameraContainer::deleteAll() {
    bool deleted = !cameras_.empty();
    while (!cameras_.empty()) {
        std::unique_ptr<dvrCamera> dying = std::move(cameras_.back());
        cameras_.pop_back();
        // The capture thread ends while the whole camera still exists.
        dying->stop();
    }
    return deleted;
}
