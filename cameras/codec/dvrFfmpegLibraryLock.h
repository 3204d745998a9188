#pragma once

#include <mutex>

// The process-wide lock around opening and closing libavcodec contexts, which must not run in
// parallel with each other.
class dvrFfmpegLibraryLock {
public:
    static std::mutex& get();
};
