#include "object/dvrObject.h"

#include <atomic>

#include "console/dvrCommand.h"
#include "settings/dvrSettingSet.h"
#include "text/dvrText.h"

namespace {
// Object ids start above the 0-255 range that boards take from their "ID" setting, so that an
// object that is not a board never looks like one.
std::atomic<int> nextObjectId{1000};
} // namespace

dvrObject::dvrObject() : id_(nextObjectId++), settings_(std::make_unique<dvrSettingSet>()) {
    settings_->setOwner(this);
}

dvrObject::~dvrObject() {
    // Observers hear of the destruction while name and settings are still there.
    detachObject();
    settings_.reset();
}

void dvrObject::detachObject() {
    announceDestruction();
    stopObserving();
}

void dvrObject::setName(std::string_view name) {
    {
        std::lock_guard<std::mutex> guard(nameLock_);
        name_ = std::string(name);
    }
    settings_->setObjectName(name);
    if (settings_->getText("name").empty())
        settings_->setText("name", name);
}

std::string dvrObject::getName() const {
    std::lock_guard<std::mutex> guard(nameLock_);
    return name_;
}

int dvrObject::getId() const {
    std::lock_guard<std::mutex> guard(nameLock_);
    return id_;
}

void dvrObject::setId(int id) {
    std::lock_guard<std::mutex> guard(nameLock_);
    id_ = id;
}

int dvrObject::applySet(const dvrCommand& command) {
    const std::string& key = command.argument(2);
    const std::string& type = command.argument(3);
    const std::string& value = command.argument(4);
    if (dvrText::equalsIgnoringCase(type, "int"))
        settings_->setInt(key, dvrText::toInt(value));
    else if (dvrText::equalsIgnoringCase(type, "string"))
        settings_->setText(key, value);
    else if (dvrText::equalsIgnoringCase(type, "float"))
        settings_->setReal(key, static_cast<float>(dvrText::toReal(value)));
    return 1;
}
