#include "codec/dvrCodec_ffmpeg.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "codec/dvrFfmpegDecoder.h"
#include "codec/dvrFfmpegEncoder.h"
#include "image/dvrImage.h"
#include "log/dvrLog.h"

namespace {

struct dvrFfmpegType {
    const char* code;
    AVCodecID codecId;
};
constexpr dvrFfmpegType ffmpegTypes[] = {
    {"MPG4", AV_CODEC_ID_MPEG4}, {"MPG2", AV_CODEC_ID_MPEG2VIDEO}, {"MPG1", AV_CODEC_ID_MPEG1VIDEO},
    {"MJPG", AV_CODEC_ID_MJPEG}, {"NULL", AV_CODEC_ID_MJPEG},
};
constexpr int typeCount = static_cast<int>(sizeof ffmpegTypes / sizeof ffmpegTypes[0]);

} // namespace

dvrCodec_ffmpeg::dvrCodec_ffmpeg(int type, dvrImage* image, int mode) : dvrCodec(image, mode), type_(type) {
    if (type_ >= 0 && type_ < typeCount)
        setCode(ffmpegTypes[type_].code);
    setKeyFrameInterval(isIntraOnly() ? 1 : keyFrameIntervalSetting());
}

dvrCodec_ffmpeg::~dvrCodec_ffmpeg() {
    // No image event may arrive while the contexts go.
    stopObserving();
    close();
}

int dvrCodec_ffmpeg::codecId() const {
    return type_ >= 0 && type_ < typeCount ? ffmpegTypes[type_].codecId : AV_CODEC_ID_NONE;
}

void dvrCodec_ffmpeg::close() {
    encoder_.reset();
    decoder_.reset();
    setOpen(false);
}

bool dvrCodec_ffmpeg::open() {
    std::lock_guard<std::recursive_mutex> guard(lock());
    close();
    dvrImage* picture = image();
    if (!picture || codecId() == AV_CODEC_ID_NONE)
        return false;
    if (wantsDecoder()) {
        AVPixelFormat expected = isIntraOnly() ? AV_PIX_FMT_YUVJ422P : AV_PIX_FMT_YUV420P;
        decoder_ = dvrFfmpegDecoder::open(codecId(), picture->width(), picture->height(), expected);
        if (!decoder_)
            return false;
    }
    if (wantsEncoder() && !openEncoder()) {
        decoder_.reset();
        return false;
    }
    setOpen(true);
    return true;
}

bool dvrCodec_ffmpeg::openEncoder() {
    dvrImage* picture = image();
    dvrFfmpegEncoder::Settings settings;
    settings.codecId = codecId();
    settings.width = picture->width();
    settings.height = picture->height();
    settings.imageFormat = picture->format();
    settings.keyFrameInterval = isIntraOnly() ? 1 : keyFrameInterval();
    settings.quality = quality();
    encoder_.reset();
    encoder_ = dvrFfmpegEncoder::open(settings);
    return encoder_ != nullptr;
}

bool dvrCodec_ffmpeg::compress() {
    std::lock_guard<std::recursive_mutex> guard(lock());
    dvrImage* picture = image();
    if (!picture || !encoder_)
        return false;
    // A new quality takes effect with this frame, which starts a new group of pictures.
    if (encoder_->quality() != quality() && !openEncoder()) {
        setOpen(false);
        return false;
    }
    std::size_t size = 0;
    bool keyFrame = false;
    if (!encoder_->encode(picture->captureBuffer(), picture->compressedBuffer(), dvrImage::compressedCapacity,
                          size, keyFrame))
        return false;
    return picture->setCompressed(size, keyFrame);
}

bool dvrCodec_ffmpeg::decompress() {
    std::lock_guard<std::recursive_mutex> guard(lock());
    dvrImage* picture = image();
    if (!picture || !decoder_ || picture->format() != dvrImage::formatUYVY)
        return false;
    bool keyFrame = false;
    if (!decoder_->decode(picture->compressedBuffer(), picture->compressedSize(), picture->captureBuffer(),
                          keyFrame))
        return false;
    return picture->setCompressed(picture->compressedSize(), keyFrame);
}
