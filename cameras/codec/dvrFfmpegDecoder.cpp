#include "codec/dvrFfmpegDecoder.h"

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include "codec/dvrFfmpegLibraryLock.h"
#include "codec/dvrFfmpegScaler.h"
#include "image/dvrImage.h"
#include "log/dvrLog.h"

namespace {

// The full-range "J" layouts are the plain ones with a range; the scaler is told the range.
AVPixelFormat plainLayout(AVPixelFormat format, bool& fullRange) {
    switch (format) {
    case AV_PIX_FMT_YUVJ420P:
        fullRange = true;
        return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
        fullRange = true;
        return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
        fullRange = true;
        return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
        fullRange = true;
        return AV_PIX_FMT_YUV440P;
    default:
        return format;
    }
}

} // namespace

std::unique_ptr<dvrFfmpegDecoder> dvrFfmpegDecoder::open(int codecId, int width, int height,
                                                         int expectedFormat) {
    std::unique_ptr<dvrFfmpegDecoder> decoder(new dvrFfmpegDecoder);
    if (!decoder->setUp(codecId, width, height, expectedFormat))
        return nullptr;
    return decoder;
}

bool dvrFfmpegDecoder::setUp(int codecId, int width, int height, int expectedFormat) {
    if (width < 2 || height < 2 || width % 2 || height % 2 || width > dvrImage::maximumSide ||
        height > dvrImage::maximumSide) {
        logWarning("Decoder: picture size %dx%d cannot be decompressed", width, height);
        return false;
    }
    const AVCodec* codec = avcodec_find_decoder(static_cast<AVCodecID>(codecId));
    if (!codec) {
        logWarning("Decoder for codec %d not found", codecId);
        return false;
    }
    context_ = avcodec_alloc_context3(codec);
    if (!context_)
        return false;
    width_ = width;
    height_ = height;
    context_->width = width;
    context_->height = height;
    context_->thread_count = 1;
    // Every compressed frame is shown at once: there are no B-frames to wait for.
    context_->flags |= AV_CODEC_FLAG_LOW_DELAY;
    int opened;
    {
        std::lock_guard<std::mutex> guard(dvrFfmpegLibraryLock::get());
        opened = avcodec_open2(context_, codec, nullptr);
    }
    if (opened < 0) {
        char reason[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(opened, reason, sizeof reason);
        logWarning("Decoder for codec %d does not open at %dx%d: %s", codecId, width, height, reason);
        return false;
    }
    picture_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    input_.assign(dvrImage::compressedCapacity + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    return picture_ && packet_ && prepareScaler(expectedFormat, AVCOL_RANGE_UNSPECIFIED);
}

dvrFfmpegDecoder::~dvrFfmpegDecoder() {
    sws_freeContext(scaler_);
    av_packet_free(&packet_);
    av_frame_free(&picture_);
    std::lock_guard<std::mutex> guard(dvrFfmpegLibraryLock::get());
    avcodec_free_context(&context_);
}

bool dvrFfmpegDecoder::prepareScaler(int frameFormat, int frameRange) {
    bool fullRange = frameRange == AVCOL_RANGE_JPEG;
    AVPixelFormat layout = plainLayout(static_cast<AVPixelFormat>(frameFormat), fullRange);
    if (scaler_ && layout == scalerLayout_ && fullRange == scalerFullRange_)
        return true;
    // Made at open for the expected layout; only a stream of another layout makes a new one.
    sws_freeContext(scaler_);
    scaler_ = dvrFfmpegScaler::make(width_, height_, layout, fullRange, AV_PIX_FMT_UYVY422, false);
    if (!scaler_) {
        logWarning("Decoder: pixel layout %d cannot be shown", frameFormat);
        scalerLayout_ = -1;
        return false;
    }
    scalerLayout_ = layout;
    scalerFullRange_ = fullRange;
    return true;
}

bool dvrFfmpegDecoder::decode(const std::uint8_t* data, std::size_t size, std::uint8_t* uyvy,
                              bool& keyFrame) {
    if (size == 0 || size > dvrImage::compressedCapacity)
        return false;
    std::memcpy(input_.data(), data, size);
    std::memset(input_.data() + size, 0, AV_INPUT_BUFFER_PADDING_SIZE);
    packet_->data = input_.data();
    packet_->size = static_cast<int>(size);
    int sent = avcodec_send_packet(context_, packet_);
    packet_->data = nullptr;
    packet_->size = 0;
    if (sent < 0) {
        logVerbose("Decoder refused a compressed frame of %zu bytes", size);
        return false;
    }
    if (avcodec_receive_frame(context_, picture_) < 0)
        return false;
    bool shown = false;
    if (picture_->width != width_ || picture_->height != height_) {
        logVerbose("Decoder: picture of %dx%d does not match %dx%d", picture_->width, picture_->height,
                   width_, height_);
    } else if (prepareScaler(picture_->format, picture_->color_range)) {
        std::uint8_t* planes[4] = {uyvy, nullptr, nullptr, nullptr};
        const int strides[4] = {width_ * 2, 0, 0, 0};
        sws_scale(scaler_, picture_->data, picture_->linesize, 0, height_, planes, strides);
        keyFrame = picture_->key_frame != 0;
        shown = true;
    }
    av_frame_unref(picture_);
    return shown;
}
