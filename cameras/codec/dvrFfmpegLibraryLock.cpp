#include "codec/dvrFfmpegLibraryLock.h"

std::mutex& dvrFfmpegLibraryLock::get() {
    static std::mutex lock;
    return lock;
}
