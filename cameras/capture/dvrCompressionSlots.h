#pragma once

#include <condition_variable>
#include <mutex>

// Bounds how many frames the whole process compresses at once. Codec contexts are independent,
// so the bound is the number of cores by default: more cores record more cameras. Taken after a
// camera's codec and image locks.
class dvrCompressionSlots {
public:
    static dvrCompressionSlots& process();

    explicit dvrCompressionSlots(int slots);

    void acquire();
    void release();
    // Takes effect for the next acquire; at least 1.
    void setLimit(int slots);
    int limit() const;
    int inUse() const;

    class Hold {
    public:
        explicit Hold(dvrCompressionSlots& slots) : slots_(slots) { slots_.acquire(); }
        ~Hold() { slots_.release(); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        dvrCompressionSlots& slots_;
    };

private:
    mutable std::mutex lock_;
    std::condition_variable freed_;
    int limit_;
    int inUse_ = 0;
};
