#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

// One libavcodec decoder that turns one compressed frame into a UYVY picture of a fixed size.
// The context, the picture, the padded input copy and the scaler are made once.
class dvrFfmpegDecoder {
public:
    // Null (with a log line) when the decoder cannot be opened for that size. expectedFormat is
    // the AVPixelFormat the stream is expected to decode to; the scaler is made for it.
    static std::unique_ptr<dvrFfmpegDecoder> open(int codecId, int width, int height, int expectedFormat);
    ~dvrFfmpegDecoder();
    dvrFfmpegDecoder(const dvrFfmpegDecoder&) = delete;
    dvrFfmpegDecoder& operator=(const dvrFfmpegDecoder&) = delete;

    // Decodes one compressed frame into uyvy (width x height x 2 bytes). False, leaving uyvy
    // untouched, when the data is refused or yields no picture of the expected size.
    bool decode(const std::uint8_t* data, std::size_t size, std::uint8_t* uyvy, bool& keyFrame);

private:
    dvrFfmpegDecoder() = default;
    bool setUp(int codecId, int width, int height, int expectedFormat);
    bool prepareScaler(int frameFormat, int frameRange);

    AVCodecContext* context_ = nullptr;
    AVFrame* picture_ = nullptr;
    AVPacket* packet_ = nullptr;
    SwsContext* scaler_ = nullptr;
    int scalerLayout_ = -1;
    bool scalerFullRange_ = false;
    // The compressed frame with the zeroed tail the bitstream readers may look into.
    std::vector<std::uint8_t> input_;
    int width_ = 0;
    int height_ = 0;
};
