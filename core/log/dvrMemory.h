#pragma once

#include <chrono>
#include <cstddef>

// Guarded allocation of large buffers. A failed allocation is tried again a bounded number of
// times with a pause (memory held by other threads may come free), then reported with
// "[MUSTMALLOC]" and the call fails: callers check for nullptr and fail their operation.
class dvrMemory {
public:
    static constexpr int defaultAttempts = 20;
    static constexpr std::chrono::milliseconds defaultPause{50};

    // How often and how long mustAlloc tries; attempts below 1 count as 1.
    static void setRetryPolicy(int attempts, std::chrono::milliseconds pause);
    static int attempts();
    static std::chrono::milliseconds pause();
};

// size bytes, or nullptr (logged with tag) for size 0 and when memory stays short. tag names the
// allocation, usually the text of the size expression ("w*h*4").
[[nodiscard]] void* mustAlloc(const char* tag, std::size_t size);
// Frees memory from mustAlloc; nullptr is ignored. The tag only documents the call.
void release(const char* tag, void* memory);
