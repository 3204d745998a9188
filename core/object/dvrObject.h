#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "object/dvrNotifier.h"
#include "object/dvrObserver.h"

class dvrCommand;
class dvrSettingSet;

// Both observer and notifier, with a name, an id and its own settings set.
class dvrObject : public dvrObserver, public dvrNotifier {
public:
    dvrObject();
    ~dvrObject() override;

    void setName(std::string_view name);
    std::string getName() const;
    int getId() const;
    void setId(int id);
    dvrSettingSet* getSettings() const { return settings_.get(); }

    // A parsed "set" line addressed to this object: scope, object, key, type word, value.
    virtual int applySet(const dvrCommand& command);

protected:
    // Tells the object's observers that it goes away and leaves its own notifiers. Derived
    // classes call it first in their destructors, while the whole object is still intact.
    void detachObject();

private:
    mutable std::mutex nameLock_;
    std::string name_;
    int id_;
    std::unique_ptr<dvrSettingSet> settings_;
};
