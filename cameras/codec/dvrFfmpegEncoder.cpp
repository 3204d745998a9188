#include "codec/dvrFfmpegEncoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include "codec/dvrFfmpegLibraryLock.h"
#include "codec/dvrFfmpegScaler.h"
#include "image/dvrImage.h"
#include "log/dvrLog.h"

namespace {

bool isMotionJpeg(int codecId) {
    return codecId == AV_CODEC_ID_MJPEG;
}

} // namespace

std::int64_t dvrFfmpegEncoder::bitRate(int width, int quality) {
    // Quality 0 would ask the rate control for nothing at all; one step up keeps it meaningful.
    return static_cast<std::int64_t>(width) * (quality > 0 ? quality : 1) * 180;
}

std::unique_ptr<dvrFfmpegEncoder> dvrFfmpegEncoder::open(const Settings& settings) {
    std::unique_ptr<dvrFfmpegEncoder> encoder(new dvrFfmpegEncoder);
    if (!encoder->setUp(settings))
        return nullptr;
    return encoder;
}

bool dvrFfmpegEncoder::setUp(const Settings& settings) {
    AVPixelFormat source = static_cast<AVPixelFormat>(dvrFfmpegScaler::layoutOf(settings.imageFormat));
    if (source == AV_PIX_FMT_NONE) {
        logWarning("Encoder: image format %d cannot be compressed", settings.imageFormat);
        return false;
    }
    if (settings.width < 2 || settings.height < 2 || settings.width % 2 || settings.height % 2 ||
        settings.width > dvrImage::maximumSide || settings.height > dvrImage::maximumSide) {
        logWarning("Encoder: picture size %dx%d cannot be compressed", settings.width, settings.height);
        return false;
    }
    const AVCodec* codec = avcodec_find_encoder(static_cast<AVCodecID>(settings.codecId));
    if (!codec) {
        logWarning("Encoder for codec %d not found", settings.codecId);
        return false;
    }
    context_ = avcodec_alloc_context3(codec);
    if (!context_)
        return false;
    width_ = settings.width;
    height_ = settings.height;
    sourceStride_ = settings.width * dvrImage::bytesPerPixel(settings.imageFormat);

    const bool motionJpeg = isMotionJpeg(settings.codecId);
    const int framesPerSecond = settings.keyFrameInterval == 1 ? 2 : 12;
    context_->width = settings.width;
    context_->height = settings.height;
    context_->time_base = AVRational{1, framesPerSecond};
    context_->framerate = AVRational{framesPerSecond, 1};
    context_->gop_size = settings.keyFrameInterval;
    context_->max_b_frames = 0;
    // libavcodec's rate control takes the rate once, here; a new quality needs a new encoder.
    context_->bit_rate = bitRate(settings.width, settings.quality);
    quality_ = settings.quality;
    // Held to about a second's worth of data, so that the rate follows the quality within seconds.
    context_->bit_rate_tolerance = static_cast<int>(std::min<std::int64_t>(context_->bit_rate, INT32_MAX));
    // Each camera has its own capture thread; one encoder thread per camera keeps the work spread.
    context_->thread_count = 1;
    // MPEG-1 has no standard code for the low rates used here; libavcodec's own codes serve.
    if (settings.codecId == AV_CODEC_ID_MPEG1VIDEO)
        context_->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
    // Without B-frames nothing needs holding back: every picture comes out as it goes in.
    if (settings.codecId == AV_CODEC_ID_MPEG1VIDEO || settings.codecId == AV_CODEC_ID_MPEG2VIDEO)
        context_->flags |= AV_CODEC_FLAG_LOW_DELAY;
    if (motionJpeg) {
        context_->pix_fmt = AV_PIX_FMT_YUV422P;
        context_->color_range = AVCOL_RANGE_JPEG;
    } else {
        context_->pix_fmt = AV_PIX_FMT_YUV420P;
    }
    int opened;
    {
        std::lock_guard<std::mutex> guard(dvrFfmpegLibraryLock::get());
        opened = avcodec_open2(context_, codec, nullptr);
    }
    if (opened < 0) {
        char reason[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(opened, reason, sizeof reason);
        logWarning("Encoder for codec %d does not open at %dx%d: %s", settings.codecId, settings.width,
                   settings.height, reason);
        return false;
    }
    for (AVFrame*& picture : pictures_) {
        picture = av_frame_alloc();
        if (!picture)
            return false;
        picture->format = context_->pix_fmt;
        picture->width = settings.width;
        picture->height = settings.height;
        if (av_frame_get_buffer(picture, 0) < 0)
            return false;
    }
    packet_ = av_packet_alloc();
    // JPEG pictures use the full range of sample values.
    scaler_ =
        dvrFfmpegScaler::make(settings.width, settings.height, source, false, context_->pix_fmt, motionJpeg);
    if (!packet_ || !scaler_)
        return false;
    return true;
}

dvrFfmpegEncoder::~dvrFfmpegEncoder() {
    sws_freeContext(scaler_);
    av_packet_free(&packet_);
    for (AVFrame*& picture : pictures_)
        av_frame_free(&picture);
    std::lock_guard<std::mutex> guard(dvrFfmpegLibraryLock::get());
    avcodec_free_context(&context_);
}

int dvrFfmpegEncoder::pixelFormat() const {
    return context_->pix_fmt;
}

AVFrame* dvrFfmpegEncoder::writableFrame() {
    for (AVFrame* picture : pictures_)
        if (av_frame_is_writable(picture))
            return picture;
    // Not expected without B-frames; the picture then gets a buffer of its own.
    AVFrame* picture = pictures_[0];
    return av_frame_make_writable(picture) < 0 ? nullptr : picture;
}

bool dvrFfmpegEncoder::encode(const std::uint8_t* source, std::uint8_t* out, std::size_t capacity,
                              std::size_t& size, bool& keyFrame) {
    AVFrame* picture = writableFrame();
    if (!picture) {
        logWarning("Encoder: no picture to compress into");
        return false;
    }
    const std::uint8_t* sourcePlanes[4] = {source, nullptr, nullptr, nullptr};
    const int sourceStrides[4] = {sourceStride_, 0, 0, 0};
    sws_scale(scaler_, sourcePlanes, sourceStrides, 0, height_, picture->data, picture->linesize);
    picture->pts = nextTimestamp_++;

    int sent = avcodec_send_frame(context_, picture);
    int received = sent < 0 ? sent : avcodec_receive_packet(context_, packet_);
    if (received < 0) {
        char reason[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(received, reason, sizeof reason);
        logWarning("Encoder gave no compressed frame: %s", reason);
        return false;
    }
    const std::size_t bytes = static_cast<std::size_t>(packet_->size);
    const bool key = (packet_->flags & AV_PKT_FLAG_KEY) != 0;
    bool fits = bytes <= capacity;
    if (fits)
        std::memcpy(out, packet_->data, bytes);
    else
        logWarning("Compressed frame of %zu bytes does not fit into %zu bytes; frame dropped", bytes,
                   capacity);
    av_packet_unref(packet_);
    if (!fits)
        return false;
    size = bytes;
    keyFrame = key;
    return true;
}
