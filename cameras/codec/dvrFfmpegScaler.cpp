#include "codec/dvrFfmpegScaler.h"

#include "image/dvrImage.h"

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace {

bool isRgb(int layout) {
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(layout));
    return descriptor && (descriptor->flags & AV_PIX_FMT_FLAG_RGB);
}

} // namespace

SwsContext* dvrFfmpegScaler::make(int width, int height, int sourceLayout, bool sourceFullRange,
                                  int targetLayout, bool targetFullRange) {
    SwsContext* scaler = sws_alloc_context();
    if (!scaler)
        return nullptr;
    bool set =
        av_opt_set_int(scaler, "srcw", width, 0) >= 0 && av_opt_set_int(scaler, "srch", height, 0) >= 0 &&
        av_opt_set_int(scaler, "dstw", width, 0) >= 0 && av_opt_set_int(scaler, "dsth", height, 0) >= 0 &&
        av_opt_set_int(scaler, "src_format", sourceLayout, 0) >= 0 &&
        av_opt_set_int(scaler, "dst_format", targetLayout, 0) >= 0 &&
        av_opt_set_int(scaler, "src_range", sourceFullRange || isRgb(sourceLayout), 0) >= 0 &&
        av_opt_set_int(scaler, "dst_range", targetFullRange || isRgb(targetLayout), 0) >= 0 &&
        av_opt_set_int(scaler, "sws_flags", SWS_BILINEAR, 0) >= 0;
    if (!set || sws_init_context(scaler, nullptr, nullptr) < 0) {
        sws_freeContext(scaler);
        return nullptr;
    }
    return scaler;
}

int dvrFfmpegScaler::layoutOf(int imageFormat) {
    switch (imageFormat) {
    case dvrImage::formatUYVY:
        return AV_PIX_FMT_UYVY422;
    case dvrImage::formatRGB24:
        return AV_PIX_FMT_RGB24;
    case dvrImage::formatBGR24:
        return AV_PIX_FMT_BGR24;
    default:
        return AV_PIX_FMT_NONE;
    }
}
