#pragma once

#include <memory>

#include "codec/dvrCodec.h"

class dvrFfmpegEncoder;
class dvrFfmpegDecoder;

// MPEG-4, MPEG-2, MPEG-1 and MJPEG on libavcodec. The encoder takes UYVY, RGB24 or BGR24 images;
// the decoder writes UYVY into the image's capture buffer.
class dvrCodec_ffmpeg : public dvrCodec {
public:
    static constexpr int typeMpeg4 = 0; // "MPG4"
    static constexpr int typeMpeg2 = 1; // "MPG2"
    static constexpr int typeMpeg1 = 2; // "MPG1"
    static constexpr int typeMjpeg = 3; // "MJPG"
    static constexpr int typeH263 = 4;  // MJPEG frames under the code "NULL"

    // A type outside 0-4 gives a codec that never opens.
    dvrCodec_ffmpeg(int type, dvrImage* image, int mode);
    ~dvrCodec_ffmpeg() override;

    // Makes the encoder and/or decoder the mode asks for; an earlier open is closed first.
    bool open() override;
    // The current capture buffer into the compressed-frame buffer, with its key-frame flag.
    bool compress() override;
    // The compressed-frame buffer into the current capture buffer (UYVY images only).
    bool decompress() override;

    int type() const { return type_; }
    // The libavcodec codec id of the type, 0 for an unknown type.
    int codecId() const;
    // Types whose every frame is a key frame.
    bool isIntraOnly() const { return type_ == typeMjpeg || type_ == typeH263; }

private:
    void close();
    bool openEncoder();

    const int type_;
    std::unique_ptr<dvrFfmpegEncoder> encoder_;
    std::unique_ptr<dvrFfmpegDecoder> decoder_;
};
