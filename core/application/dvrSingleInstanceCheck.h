#pragma once

#include <string>

// Makes sure only one recorder runs per operating-system user: a lock file "DVR-<login>" in the
// runtime directory, held (flock) for the life of this object. The lock goes with the process,
// so a crashed recorder never blocks the next start.
class dvrSingleInstanceCheck {
public:
    // Lock directory: the given one, else $XDG_RUNTIME_DIR, else /tmp.
    explicit dvrSingleInstanceCheck(const std::string& lockDirectory = "");
    ~dvrSingleInstanceCheck();
    dvrSingleInstanceCheck(const dvrSingleInstanceCheck&) = delete;
    dvrSingleInstanceCheck& operator=(const dvrSingleInstanceCheck&) = delete;

    // True when another instance of the same user holds the lock.
    bool isAnotherRunning() const { return anotherRunning_; }
    const std::string& lockPath() const { return lockPath_; }

    static std::string loginName();

private:
    std::string lockPath_;
    int descriptor_ = -1;
    bool anotherRunning_ = false;
};
