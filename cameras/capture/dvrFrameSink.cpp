#include "capture/dvrFrameSink.h"

#include <atomic>

namespace {
std::atomic<dvrFrameSink*> installedSink{nullptr};
}

dvrFrameSink* dvrFrameSink::current() { return installedSink.load(); }

void dvrFrameSink::install(dvrFrameSink* sink) { installedSink.store(sink); }

void dvrFrameSink::remove(dvrFrameSink* sink) {
    dvrFrameSink* expected = sink;
    installedSink.compare_exchange_strong(expected, nullptr);
}
