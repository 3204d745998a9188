#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <shared_mutex>
#include <vector>

#include "dvrHTTPPictureCache.h"
#include "object/dvrObserver.h"

class dvrCamera;

// The cameras the server offers, numbered from 1 in the order of the core's camera list, each
// with its picture cache. The list is taken on the thread that adds and deletes cameras (start
// and every refresh); a camera that is destroyed in between is dropped from its entry before it
// goes, and never while a worker is copying its picture.
class dvrHTTPCameraTable : public dvrObserver {
public:
    struct Entry {
        dvrCamera* camera = nullptr; // guarded by the table's lock; null once the camera is gone
        dvrHTTPPictureCache cache;
    };
    enum class Lookup { found, outOfRange, gone };

    dvrHTTPCameraTable() = default;
    ~dvrHTTPCameraTable() override;

    // Takes the current camera list; call it from the thread that adds and deletes cameras.
    void refresh(const std::vector<dvrCamera*>& cameras);
    std::size_t count() const;

    // The entry of camera number (from 1), or why there is none.
    Lookup find(int number, std::shared_ptr<Entry>& entry) const;
    // Runs work on the entry's camera while it cannot be destroyed; false when it is gone.
    bool withCamera(const Entry& entry, const std::function<void(dvrCamera&)>& work) const;

    void onNotify(dvrNotifier* notifier, std::uint32_t events) override;

private:
    mutable std::shared_mutex lock_;
    std::vector<std::shared_ptr<Entry>> entries_;
};
