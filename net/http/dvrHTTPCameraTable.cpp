#include "dvrHTTPCameraTable.h"

#include <algorithm>
#include <mutex>

#include "dvrCamera.h"
#include "object/dvrEvents.h"

dvrHTTPCameraTable::~dvrHTTPCameraTable() { stopObserving(); }

void dvrHTTPCameraTable::refresh(const std::vector<dvrCamera*>& cameras) {
    std::vector<std::shared_ptr<Entry>> old;
    std::vector<dvrCamera*> oldCameras;
    {
        std::shared_lock<std::shared_mutex> guard(lock_);
        bool same = cameras.size() == entries_.size() &&
                    std::equal(cameras.begin(), cameras.end(), entries_.begin(),
                               [](dvrCamera* camera, const std::shared_ptr<Entry>& entry) { return camera == entry->camera; });
        if (same)
            return;
        old = entries_;
        for (const auto& entry : entries_)
            oldCameras.push_back(entry->camera);
    }
    std::vector<std::shared_ptr<Entry>> fresh;
    for (dvrCamera* camera : cameras) {
        auto kept = std::find(oldCameras.begin(), oldCameras.end(), camera);
        if (kept != oldCameras.end()) {
            fresh.push_back(old[static_cast<std::size_t>(kept - oldCameras.begin())]);
            continue;
        }
        auto entry = std::make_shared<Entry>();
        entry->camera = camera;
        // Observed outside the table's lock: a notifier delivers under its own lock first.
        camera->addObserver(this, dvrEvent::destroyed);
        fresh.push_back(std::move(entry));
    }
    {
        std::unique_lock<std::shared_mutex> guard(lock_);
        entries_ = fresh;
    }
    for (std::size_t i = 0; i < old.size(); ++i) {
        bool stays = std::find(fresh.begin(), fresh.end(), old[i]) != fresh.end();
        if (!stays && oldCameras[i])
            oldCameras[i]->removeObserver(this, dvrEvent::all);
    }
}

std::size_t dvrHTTPCameraTable::count() const {
    std::shared_lock<std::shared_mutex> guard(lock_);
    return entries_.size();
}

dvrHTTPCameraTable::Lookup dvrHTTPCameraTable::find(int number, std::shared_ptr<Entry>& entry) const {
    std::shared_lock<std::shared_mutex> guard(lock_);
    if (number < 1 || static_cast<std::size_t>(number) > entries_.size())
        return Lookup::outOfRange;
    entry = entries_[static_cast<std::size_t>(number - 1)];
    return entry->camera ? Lookup::found : Lookup::gone;
}

bool dvrHTTPCameraTable::withCamera(const Entry& entry, const std::function<void(dvrCamera&)>& work) const {
    std::shared_lock<std::shared_mutex> guard(lock_);
    if (!entry.camera)
        return false;
    work(*entry.camera);
    return true;
}

void dvrHTTPCameraTable::onNotify(dvrNotifier* notifier, std::uint32_t events) {
    dvrObserver::onNotify(notifier, events);
    if (!(events & dvrEvent::destroyed))
        return;
    // Waits for any worker still copying from this camera.
    std::unique_lock<std::shared_mutex> guard(lock_);
    for (const auto& entry : entries_)
        if (entry->camera && static_cast<dvrNotifier*>(entry->camera) == notifier)
            entry->camera = nullptr;
}
