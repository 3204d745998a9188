#pragma once

struct SwsContext;

// Makes libswscale contexts that convert between pixel layouts of the same size with the sample
// ranges given before the context is initialised: the scaler's fast unscaled paths between
// Y'CbCr layouts ignore a range set afterwards, so full-range (JPEG) pictures would otherwise
// come out with the wrong contrast.
class dvrFfmpegScaler {
public:
    // Null when the layouts cannot be converted. Ranges: true for full range (RGB is always full).
    static SwsContext* make(int width, int height, int sourceLayout, bool sourceFullRange, int targetLayout,
                            bool targetFullRange);
    // The libavutil layout of an image format the encoders take (UYVY, RGB24, BGR24); -1
    // (AV_PIX_FMT_NONE) for any other.
    static int layoutOf(int imageFormat);
};
