#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec/dvrCodec.h"

struct SwsContext;
typedef struct th_enc_ctx th_enc_ctx;
typedef struct th_dec_ctx th_dec_ctx;

// Theora on libtheora. A recorded frame is one data packet without the three header packets, so
// the decoder is set up from the headers of an encoder made with the same size and parameters.
class dvrCodec_theora : public dvrCodec {
public:
    // The coded frame: the picture rounded up to whole 16 x 16 blocks, the picture centred in it
    // on even offsets.
    struct FrameGeometry {
        int paddedWidth;
        int paddedHeight;
        int offsetX;
        int offsetY;
    };
    static FrameGeometry geometryFor(int width, int height);
    // The granule position given to the packet after one with the given position:
    // 0, 1, 2, 3, 4, 40, 41, ..., 44, 80, ...
    static std::int64_t nextGranulePosition(std::int64_t granulePosition);

    dvrCodec_theora(dvrImage* image, int mode);
    ~dvrCodec_theora() override;

    bool open() override;
    // The current capture buffer (UYVY, RGB24 or BGR24) into one data packet.
    bool compress() override;
    // One data packet into the current capture buffer (UYVY images only).
    bool decompress() override;

    FrameGeometry geometry() const { return geometry_; }
    // The granule position the next decompressed packet carries.
    std::int64_t granulePosition() const { return granulePosition_; }

private:
    void close();
    bool makeEncoder(th_enc_ctx*& encoder);
    bool makeDecoder(th_enc_ctx* headerSource);

    FrameGeometry geometry_{0, 0, 0, 0};
    th_enc_ctx* encoder_ = nullptr;
    th_dec_ctx* decoder_ = nullptr;
    SwsContext* inputScaler_ = nullptr;
    SwsContext* outputScaler_ = nullptr;
    // The encoder's input: planar 4:2:0 of the padded size, the picture at its offsets.
    std::vector<std::uint8_t> paddedPlanes_;
    int encoderQuality_ = 0; // on libtheora's scale of 0-63
    std::int64_t granulePosition_ = 0;
    bool firstPacket_ = true;
};
