#pragma once

#include <cstddef>
#include <cstdint>

struct dvrFrameRecord;

// Where capture threads hand their recorded frames: the recording storage when it runs, a test's
// collector in tests, nothing in passive mode. One sink per process.
class dvrFrameSink {
public:
    virtual ~dvrFrameSink() = default;

    // Copies the record and the compressed bytes; false when the queue is full (try again later).
    virtual bool addFrame(const dvrFrameRecord& record, const std::uint8_t* data, std::size_t size) = 0;

    // The installed sink, or null. Install before cameras start; remove only after they stopped.
    static dvrFrameSink* current();
    static void install(dvrFrameSink* sink);
    static void remove(dvrFrameSink* sink);
};
