#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

class dvrObserver;

// The observer table of one notifier with its lock. It is shared with the observers registered
// with the notifier, so an observer can wait for the lock without holding its own, even while
// the notifier itself is being destroyed on another thread.
class dvrNotifierRegistry {
public:
    using Table = std::map<dvrObserver*, std::uint32_t>;

    // One per notification loop in progress; nested loops each keep their own.
    struct Cursor {
        Table::iterator position;
        bool removed = false;
    };

    // Erases an entry, moving every loop that stands on it to the next entry. Lock held.
    void erase(Table::iterator entry) {
        for (Cursor* cursor : cursors) {
            if (cursor->position == entry) {
                cursor->position = std::next(entry);
                cursor->removed = true;
            }
        }
        observers.erase(entry);
    }

    void erase(dvrObserver* observer) {
        auto entry = observers.find(observer);
        if (entry != observers.end())
            erase(entry);
    }

    std::recursive_mutex lock;
    Table observers;
    std::vector<Cursor*> cursors;
    // False once the notifier has announced its destruction.
    bool alive = true;
};
