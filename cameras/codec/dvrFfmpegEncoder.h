#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

// One libavcodec encoder with everything it needs per frame, made once: the context, a few
// pictures in the encoder's pixel layout and the scaler from the image's layout. One frame in,
// one packet out: there are no B-frames.
class dvrFfmpegEncoder {
public:
    struct Settings {
        int codecId = 0; // AVCodecID
        int width = 0;   // even, within the image limits
        int height = 0;
        int imageFormat = 0; // dvrImage format of the source: UYVY, RGB24 or BGR24
        int keyFrameInterval = 1;
        int quality = 80;
    };

    // Null (with a log line) when the codec, the size or the source format cannot be used.
    static std::unique_ptr<dvrFfmpegEncoder> open(const Settings& settings);
    ~dvrFfmpegEncoder();
    dvrFfmpegEncoder(const dvrFfmpegEncoder&) = delete;
    dvrFfmpegEncoder& operator=(const dvrFfmpegEncoder&) = delete;

    // The bit rate in bits per second for a picture width and a quality of 0-100, in 64 bits so
    // that the products for wide pictures cannot wrap.
    static std::int64_t bitRate(int width, int quality);

    // Encodes one source frame (the image's own layout) into out. Fails, writing nothing, when
    // the encoder gives no packet or the packet does not fit into capacity.
    bool encode(const std::uint8_t* source, std::uint8_t* out, std::size_t capacity, std::size_t& size,
                bool& keyFrame);
    int quality() const { return quality_; }

    int pixelFormat() const;

private:
    dvrFfmpegEncoder() = default;
    bool setUp(const Settings& settings);
    AVFrame* writableFrame();

    // The encoder may still hold the previous picture; with a few to pick from none is allocated
    // while encoding.
    static constexpr std::size_t pictureCount = 4;

    AVCodecContext* context_ = nullptr;
    std::array<AVFrame*, pictureCount> pictures_{};
    AVPacket* packet_ = nullptr;
    SwsContext* scaler_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int sourceStride_ = 0;
    int quality_ = 0;
    std::int64_t nextTimestamp_ = 0;
};
