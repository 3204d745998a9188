#include "dvrSingleInstanceCheck.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include "log/dvrLog.h"

std::string dvrSingleInstanceCheck::loginName() {
    std::string name;
    if (const passwd* entry = getpwuid(geteuid()))
        name = entry->pw_name ? entry->pw_name : "";
    if (name.empty())
        name = std::to_string(geteuid());
    // The name becomes part of a file name.
    for (char& c : name)
        if (c == '/' || c == '\0')
            c = '_';
    return name;
}

dvrSingleInstanceCheck::dvrSingleInstanceCheck(const std::string& lockDirectory) {
    std::string directory = lockDirectory;
    if (directory.empty()) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        directory = runtime && *runtime && access(runtime, W_OK) == 0 ? runtime : "/tmp";
    }
    lockPath_ = directory + "/DVR-" + loginName();
    descriptor_ = open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor_ < 0) {
        // Without a lock file the check cannot refuse anybody; say so and go on.
        logWarning("[CORE] Cannot open the instance lock %s; not checking for other instances.\n", lockPath_.c_str());
        return;
    }
    if (flock(descriptor_, LOCK_EX | LOCK_NB) != 0) {
        anotherRunning_ = errno == EWOULDBLOCK;
        close(descriptor_);
        descriptor_ = -1;
    }
}

dvrSingleInstanceCheck::~dvrSingleInstanceCheck() {
    if (descriptor_ >= 0)
        close(descriptor_);
}
