#include "codec/dvrCodec.h"

#include <algorithm>
#include <cstring>

#include "codec/dvrCodec_ffmpeg.h"
#include "codec/dvrCodec_theora.h"
#include "image/dvrImage.h"
#include "object/dvrEvents.h"
#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingSet.h"

namespace {

// Codes that make an FFmpeg codec, with its type.
struct dvrFfmpegCode {
    std::string_view code;
    int type;
};
constexpr dvrFfmpegCode ffmpegCodes[] = {
    {"MPG4", dvrCodec_ffmpeg::typeMpeg4}, {"MPG2", dvrCodec_ffmpeg::typeMpeg2},
    {"MPG1", dvrCodec_ffmpeg::typeMpeg1}, {"MJPG", dvrCodec_ffmpeg::typeMjpeg},
    {"H263", dvrCodec_ffmpeg::typeH263},
};

} // namespace

std::unique_ptr<dvrCodec> dvrCodec::create(std::string_view code, dvrImage* image, int mode,
                                           int keyFrameInterval) {
    std::unique_ptr<dvrCodec> codec;
    for (const dvrFfmpegCode& entry : ffmpegCodes)
        if (code == entry.code)
            codec = std::make_unique<dvrCodec_ffmpeg>(entry.type, image, mode);
    if (code == "THEO")
        codec = std::make_unique<dvrCodec_theora>(image, mode);
    if (codec && keyFrameInterval >= 0)
        codec->setKeyFrameInterval(keyFrameInterval);
    return codec;
}

int dvrCodec::keyFrameIntervalSetting() {
    dvrSettingSet* settings = dvrGlobalSettings::instance();
    if (!settings || settings->find("keyinterval") < 0)
        return defaultKeyFrameInterval;
    return settings->getInt("keyinterval");
}

dvrCodec::dvrCodec(dvrImage* image, int mode) : image_(image), mode_(mode) {
    if (image_)
        image_->addObserver(this, dvrEvent::destroyed);
}

dvrCodec::~dvrCodec() {
    stopObserving();
}

void dvrCodec::onNotify(dvrNotifier* notifier, std::uint32_t events) {
    if (events & dvrEvent::destroyed) {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        if (notifier == image_)
            image_ = nullptr;
    }
    dvrObserver::onNotify(notifier, events);
}

bool dvrCodec::open() {
    return true;
}
bool dvrCodec::compress() {
    return false;
}
bool dvrCodec::decompress() {
    return false;
}

bool dvrCodec::setQuality(int quality) {
    if (quality < minimumQuality || quality > maximumQuality)
        return false;
    std::lock_guard<std::recursive_mutex> guard(lock_);
    quality_ = quality;
    return true;
}

int dvrCodec::quality() const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return quality_;
}

void dvrCodec::setKeyFrameInterval(int interval) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    keyFrameInterval_ = std::clamp(interval, 1, maximumKeyFrameInterval);
}

int dvrCodec::keyFrameInterval() const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return keyFrameInterval_;
}

bool dvrCodec::setFrameRate(int framesPerSecond) {
    if (framesPerSecond < minimumFrameRate || framesPerSecond > maximumFrameRate)
        return false;
    std::lock_guard<std::recursive_mutex> guard(lock_);
    frameRate_ = framesPerSecond;
    return true;
}

int dvrCodec::frameRate() const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return frameRate_;
}

std::string dvrCodec::code() const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return std::string(code_, 4);
}

bool dvrCodec::isOpen() const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return open_;
}

dvrImage* dvrCodec::image() const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return image_;
}

void dvrCodec::setCode(std::string_view code) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    // Always four characters and the terminator, whatever is given.
    std::memset(code_, ' ', 4);
    std::memcpy(code_, code.data(), std::min<std::size_t>(code.size(), 4));
    code_[4] = '\0';
}

void dvrCodec::setOpen(bool open) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    open_ = open;
}
