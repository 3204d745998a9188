#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "object/dvrObserver.h"

class dvrImage;

// Turns the current frame of a camera's image into one compressed frame in the image's
// compressed-frame buffer, or back. The kinds are made by create from their four-letter code; the
// code travels with every recorded frame so that playback picks the matching decoder.
//
// The codec observes its image: once the image is destroyed every operation fails. Each call
// holds the codec's own recursive lock.
class dvrCodec : public dvrObserver {
public:
    // Mode bits given at construction.
    static constexpr int modeEncoder = 1;
    static constexpr int modeDecoder = 2;

    static constexpr int minimumQuality = 0;
    static constexpr int maximumQuality = 100;
    static constexpr int defaultQuality = 80;
    static constexpr int minimumFrameRate = 1;
    static constexpr int maximumFrameRate = 30;
    static constexpr int defaultFrameRate = 25;
    // Used when the global settings do not exist yet.
    static constexpr int defaultKeyFrameInterval = 5;
    static constexpr int maximumKeyFrameInterval = 300;

    static constexpr std::string_view nullCode = "NULL";

    // The kind for a four-letter code, not yet opened; null for "NULL" and unknown codes. A key
    // interval of 0 or more replaces the kind's own (from the "keyinterval" setting).
    static std::unique_ptr<dvrCodec> create(std::string_view code, dvrImage* image, int mode,
                                            int keyFrameInterval);
    // The global "keyinterval" setting, or defaultKeyFrameInterval without global settings.
    static int keyFrameIntervalSetting();

    dvrCodec(dvrImage* image, int mode);
    ~dvrCodec() override;

    // Forgets the image when it is destroyed.
    void onNotify(dvrNotifier* notifier, std::uint32_t events) override;

    // The base opens nothing and converts nothing.
    virtual bool open();
    virtual bool compress();
    virtual bool decompress();

    // Values outside 0-100 are rejected and change nothing.
    bool setQuality(int quality);
    int quality() const;
    // Kept within 1..maximumKeyFrameInterval: 0 asks for key frames only. Takes effect at the
    // next open.
    void setKeyFrameInterval(int interval);
    int keyFrameInterval() const;
    // Values outside 1-30 are rejected and change nothing.
    bool setFrameRate(int framesPerSecond);
    int frameRate() const;

    std::string code() const;
    int mode() const { return mode_; }
    bool wantsEncoder() const { return (mode_ & modeEncoder) != 0; }
    bool wantsDecoder() const { return (mode_ & modeDecoder) != 0; }
    bool isOpen() const;
    // Null once the image has been destroyed.
    dvrImage* image() const;

protected:
    void setCode(std::string_view code);
    void setOpen(bool open);
    std::recursive_mutex& lock() const { return lock_; }

private:
    mutable std::recursive_mutex lock_;
    dvrImage* image_;
    const int mode_;
    char code_[5] = {'N', 'U', 'L', 'L', '\0'};
    int quality_ = defaultQuality;
    int keyFrameInterval_ = 0;
    int frameRate_ = defaultFrameRate;
    bool open_ = false;
};
