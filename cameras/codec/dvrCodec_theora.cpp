#include "codec/dvrCodec_theora.h"

#include <cstring>

extern "C" {
#include <libswscale/swscale.h>
#include <theora/theoradec.h>
#include <theora/theoraenc.h>
}

#include "codec/dvrFfmpegScaler.h"
#include "image/dvrImage.h"
#include "log/dvrLog.h"

namespace {

// Black in limited-range Y'CbCr, for the padding around the picture.
constexpr std::uint8_t blackLuma = 16;
constexpr std::uint8_t blackChroma = 128;

} // namespace

dvrCodec_theora::FrameGeometry dvrCodec_theora::geometryFor(int width, int height) {
    FrameGeometry geometry;
    geometry.paddedWidth = (width + 15) & ~15;
    geometry.paddedHeight = (height + 15) & ~15;
    geometry.offsetX = ((geometry.paddedWidth - width) / 2) & ~1;
    geometry.offsetY = ((geometry.paddedHeight - height) / 2) & ~1;
    return geometry;
}

std::int64_t dvrCodec_theora::nextGranulePosition(std::int64_t granulePosition) {
    std::int64_t next = granulePosition + 1;
    if (next % 40 > 4)
        next = granulePosition + 36;
    return next;
}

dvrCodec_theora::dvrCodec_theora(dvrImage* image, int mode) : dvrCodec(image, mode) {
    setCode("THEO");
    setKeyFrameInterval(keyFrameIntervalSetting());
}

dvrCodec_theora::~dvrCodec_theora() {
    stopObserving();
    close();
}

void dvrCodec_theora::close() {
    th_encode_free(encoder_);
    encoder_ = nullptr;
    th_decode_free(decoder_);
    decoder_ = nullptr;
    sws_freeContext(inputScaler_);
    inputScaler_ = nullptr;
    sws_freeContext(outputScaler_);
    outputScaler_ = nullptr;
    granulePosition_ = 0;
    firstPacket_ = true;
    setOpen(false);
}

bool dvrCodec_theora::makeEncoder(th_enc_ctx*& encoder) {
    dvrImage* picture = image();
    th_info info;
    th_info_init(&info);
    info.frame_width = static_cast<ogg_uint32_t>(geometry_.paddedWidth);
    info.frame_height = static_cast<ogg_uint32_t>(geometry_.paddedHeight);
    info.pic_width = static_cast<ogg_uint32_t>(picture->width());
    info.pic_height = static_cast<ogg_uint32_t>(picture->height());
    info.pic_x = static_cast<ogg_uint32_t>(geometry_.offsetX);
    info.pic_y = static_cast<ogg_uint32_t>(geometry_.offsetY);
    info.fps_numerator = 4;
    info.fps_denominator = 1;
    info.aspect_numerator = 0;
    info.aspect_denominator = 0;
    info.colorspace = TH_CS_UNSPECIFIED;
    info.pixel_fmt = TH_PF_420;
    info.target_bitrate = 0;
    info.quality = quality() / 3;
    encoderQuality_ = info.quality;
    info.keyframe_granule_shift = 6;
    encoder = th_encode_alloc(&info);
    th_info_clear(&info);
    if (!encoder)
        return false;
    // The granule shift grows as needed before the headers are written.
    ogg_uint32_t frequency = static_cast<ogg_uint32_t>(keyFrameInterval());
    th_encode_ctl(encoder, TH_ENCCTL_SET_KEYFRAME_FREQUENCY_FORCE, &frequency, sizeof frequency);
    // The quickest search: a recorder compresses every camera in real time.
    int speed = 0;
    if (th_encode_ctl(encoder, TH_ENCCTL_GET_SPLEVEL_MAX, &speed, sizeof speed) == 0)
        th_encode_ctl(encoder, TH_ENCCTL_SET_SPLEVEL, &speed, sizeof speed);
    return true;
}

bool dvrCodec_theora::makeDecoder(th_enc_ctx* headerSource) {
    th_info info;
    th_comment comment;
    th_comment headerComment;
    th_setup_info* setup = nullptr;
    th_info_init(&info);
    th_comment_init(&comment);
    th_comment_init(&headerComment);
    ogg_packet header;
    int headers = 0;
    bool accepted = true;
    while (accepted && th_encode_flushheader(headerSource, &headerComment, &header) > 0) {
        accepted = th_decode_headerin(&info, &comment, &setup, &header) > 0;
        ++headers;
    }
    if (accepted && headers == 3 && setup)
        decoder_ = th_decode_alloc(&info, setup);
    th_setup_free(setup);
    th_comment_clear(&headerComment);
    th_comment_clear(&comment);
    th_info_clear(&info);
    return decoder_ != nullptr;
}

bool dvrCodec_theora::open() {
    std::lock_guard<std::recursive_mutex> guard(lock());
    close();
    dvrImage* picture = image();
    if (!picture)
        return false;
    const int width = picture->width();
    const int height = picture->height();
    if (width < 2 || height < 2 || width % 2 || height % 2) {
        logWarning("Theora: picture size %dx%d cannot be compressed", width, height);
        return false;
    }
    geometry_ = geometryFor(width, height);
    if (wantsDecoder()) {
        // Only an encoder makes the headers the decoder is set up from.
        th_enc_ctx* headerSource = nullptr;
        bool made = makeEncoder(headerSource) && makeDecoder(headerSource);
        th_encode_free(headerSource);
        outputScaler_ =
            dvrFfmpegScaler::make(width, height, AV_PIX_FMT_YUV420P, false, AV_PIX_FMT_UYVY422, false);
        if (!made || !outputScaler_) {
            close();
            return false;
        }
    }
    if (wantsEncoder()) {
        AVPixelFormat source = static_cast<AVPixelFormat>(dvrFfmpegScaler::layoutOf(picture->format()));
        if (source == AV_PIX_FMT_NONE) {
            logWarning("Theora: image format %d cannot be compressed", picture->format());
            close();
            return false;
        }
        inputScaler_ = dvrFfmpegScaler::make(width, height, source, false, AV_PIX_FMT_YUV420P, false);
        if (!inputScaler_ || !makeEncoder(encoder_)) {
            close();
            return false;
        }
        // Recorded frames carry no headers; the ones made here are passed over.
        th_comment comment;
        th_comment_init(&comment);
        ogg_packet header;
        while (th_encode_flushheader(encoder_, &comment, &header) > 0) {
        }
        th_comment_clear(&comment);
        const std::size_t lumaSize = static_cast<std::size_t>(geometry_.paddedWidth) * geometry_.paddedHeight;
        paddedPlanes_.assign(lumaSize + lumaSize / 2, blackChroma);
        std::memset(paddedPlanes_.data(), blackLuma, lumaSize);
    }
    setOpen(true);
    return true;
}

bool dvrCodec_theora::compress() {
    std::lock_guard<std::recursive_mutex> guard(lock());
    dvrImage* picture = image();
    if (!picture || !encoder_)
        return false;
    const int width = picture->width();
    const int height = picture->height();
    const int lumaStride = geometry_.paddedWidth;
    const int chromaStride = geometry_.paddedWidth / 2;
    std::uint8_t* luma = paddedPlanes_.data();
    std::uint8_t* blue = luma + static_cast<std::size_t>(lumaStride) * geometry_.paddedHeight;
    std::uint8_t* red = blue + static_cast<std::size_t>(chromaStride) * (geometry_.paddedHeight / 2);

    // The picture goes into the padded planes with their own strides, at its offsets.
    std::uint8_t* pictureStart[4] = {
        luma + static_cast<std::size_t>(geometry_.offsetY) * lumaStride + geometry_.offsetX,
        blue + static_cast<std::size_t>(geometry_.offsetY / 2) * chromaStride + geometry_.offsetX / 2,
        red + static_cast<std::size_t>(geometry_.offsetY / 2) * chromaStride + geometry_.offsetX / 2,
        nullptr};
    const int pictureStrides[4] = {lumaStride, chromaStride, chromaStride, 0};
    const std::uint8_t* source[4] = {picture->captureBuffer(), nullptr, nullptr, nullptr};
    const int sourceStrides[4] = {width * picture->bytesPerPixel(), 0, 0, 0};
    sws_scale(inputScaler_, source, sourceStrides, 0, height, pictureStart, pictureStrides);

    // A new quality takes effect with this frame.
    int wanted = quality() / 3;
    if (wanted != encoderQuality_ &&
        th_encode_ctl(encoder_, TH_ENCCTL_SET_QUALITY, &wanted, sizeof wanted) == 0)
        encoderQuality_ = wanted;

    th_ycbcr_buffer planes;
    planes[0] = {geometry_.paddedWidth, geometry_.paddedHeight, lumaStride, luma};
    planes[1] = {geometry_.paddedWidth / 2, geometry_.paddedHeight / 2, chromaStride, blue};
    planes[2] = {geometry_.paddedWidth / 2, geometry_.paddedHeight / 2, chromaStride, red};
    if (th_encode_ycbcr_in(encoder_, planes) != 0) {
        logWarning("Theora: the encoder refused a picture");
        return false;
    }
    ogg_packet packet;
    if (th_encode_packetout(encoder_, 0, &packet) <= 0) {
        logWarning("Theora: the encoder gave no packet");
        return false;
    }
    logVerbose("compressed (theora) %ld bytes: bos %ld, eos %ld, gran %d, pno %d", packet.bytes, packet.b_o_s,
               packet.e_o_s, static_cast<int>(packet.granulepos), static_cast<int>(packet.packetno));
    const std::size_t size = static_cast<std::size_t>(packet.bytes);
    if (size > dvrImage::compressedCapacity) {
        logWarning("Compressed frame of %zu bytes does not fit into %zu bytes; frame dropped", size,
                   dvrImage::compressedCapacity);
        return false;
    }
    std::memcpy(picture->compressedBuffer(), packet.packet, size);
    return picture->setCompressed(size, th_packet_iskeyframe(&packet) == 1);
}

bool dvrCodec_theora::decompress() {
    std::lock_guard<std::recursive_mutex> guard(lock());
    dvrImage* picture = image();
    if (!picture || !decoder_ || picture->format() != dvrImage::formatUYVY)
        return false;
    const std::size_t size = picture->compressedSize();
    if (size > dvrImage::compressedCapacity)
        return false;
    ogg_packet packet;
    packet.packet = picture->compressedBuffer();
    packet.bytes = static_cast<long>(size);
    packet.b_o_s = firstPacket_ ? 1 : 0;
    packet.e_o_s = 0;
    packet.granulepos = granulePosition_;
    packet.packetno = 0;
    firstPacket_ = false;
    granulePosition_ = nextGranulePosition(granulePosition_);

    int result = th_decode_packetin(decoder_, &packet, nullptr);
    logVerbose("%d", result);
    logVerbose("decompressed (theora) %ld bytes", packet.bytes);
    if (result < 0)
        return false;
    th_ycbcr_buffer planes;
    if (th_decode_ycbcr_out(decoder_, planes) != 0)
        return false;
    // Only the picture region, at its offsets, is shown.
    const std::uint8_t* source[4] = {
        planes[0].data + static_cast<std::ptrdiff_t>(geometry_.offsetY) * planes[0].stride +
            geometry_.offsetX,
        planes[1].data + static_cast<std::ptrdiff_t>(geometry_.offsetY / 2) * planes[1].stride +
            geometry_.offsetX / 2,
        planes[2].data + static_cast<std::ptrdiff_t>(geometry_.offsetY / 2) * planes[2].stride +
            geometry_.offsetX / 2,
        nullptr};
    const int sourceStrides[4] = {planes[0].stride, planes[1].stride, planes[2].stride, 0};
    std::uint8_t* target[4] = {picture->captureBuffer(), nullptr, nullptr, nullptr};
    const int targetStrides[4] = {picture->width() * 2, 0, 0, 0};
    sws_scale(outputScaler_, source, sourceStrides, 0, picture->height(), target, targetStrides);
    return picture->setCompressed(size, th_packet_iskeyframe(&packet) == 1);
}
