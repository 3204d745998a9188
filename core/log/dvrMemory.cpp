#include "log/dvrMemory.h"

#include <atomic>
#include <cstdlib>
#include <thread>

#include "language/dvrCatalogueFormat.h"
#include "log/dvrLog.h"
#include "text/dvrText.h"

namespace {
std::atomic<int> attemptCount{dvrMemory::defaultAttempts};
std::atomic<long long> pauseMilliseconds{dvrMemory::defaultPause.count()};

std::string tagText(const char* tag) {
    return dvrText::singleLine(tag ? tag : "");
}
} // namespace

void dvrMemory::setRetryPolicy(int attempts, std::chrono::milliseconds pause) {
    attemptCount = attempts < 1 ? 1 : attempts;
    pauseMilliseconds = pause.count() < 0 ? 0 : pause.count();
}

int dvrMemory::attempts() {
    return attemptCount;
}

std::chrono::milliseconds dvrMemory::pause() {
    return std::chrono::milliseconds(pauseMilliseconds.load());
}

void* mustAlloc(const char* tag, std::size_t size) {
    if (size == 0) {
        logError(dvrCatalogueFormat::lookUp("[MUSTMALLOC] Trying to allocate 0 bytes! No way! [%s]"),
                 tagText(tag).c_str());
        return nullptr;
    }
    int attempts = dvrMemory::attempts();
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        if (void* memory = std::malloc(size))
            return memory;
        if (attempt < attempts)
            std::this_thread::sleep_for(dvrMemory::pause());
    }
    logError(dvrCatalogueFormat::lookUp("[MUSTMALLOC] Cannot allocate %zu bytes, giving up! [%s]"), size,
             tagText(tag).c_str());
    return nullptr;
}

void release(const char*, void* memory) {
    std::free(memory);
}
