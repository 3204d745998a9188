#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "dvrFrameBuffer.h"
#include "object/dvrNotifier.h"

// A camera's frame buffers: the ring of capture buffers boards grab into, the reference frame
// for motion detection, the conversion outputs and their work buffers, the compressed-frame
// buffer, the 44 x 36 motion map with its mask and the packed motion bitmap stored with each
// recorded frame. Every buffer is allocated once, at construction; all access happens under the
// owning camera's image lock. Announces event 2 when destroyed.
class dvrImage : public dvrNotifier {
public:
    static constexpr int gridColumns = 44;
    static constexpr int gridRows = 36;
    static constexpr int gridCells = gridColumns * gridRows; // 1584
    static constexpr int packedMotionBytes = gridCells / 8;  // 198
    static constexpr int maskParts = 6;                      // "mask0" to "mask5"
    static constexpr int maskRowsPerPart = gridRows / maskParts;
    static constexpr std::size_t maskTextLength = maskRowsPerPart * gridColumns; // 264
    static constexpr int maximumMaskValue = 8;
    // Room for one compressed frame.
    static constexpr std::size_t compressedCapacity = 0x40000;
    // Largest picture side accepted.
    static constexpr int maximumSide = 8192;

    // Pixel formats.
    static constexpr int formatUYVY = 2;     // packed 4:2:2: U, Y0, V, Y1
    static constexpr int formatRGB24 = 3;    // R, G, B, top-down
    static constexpr int formatRGB32 = 4;    // four bytes per pixel
    static constexpr int formatBGR24 = 7;    // B, G, R, top-down
    static constexpr int formatPlanar422 = 8; // Y plane, U plane, V plane (each chroma width/2 x height)
    static constexpr int formatPlanar420 = 9; // Y plane, U and V planes of width/2 x height/2
    static constexpr int formatBottomUpBGR24 = 10;

    // Buffer numbers of buffer().
    static constexpr int compressedBufferNumber = 99;
    static constexpr int motionMapNumber = 100;
    static constexpr int previousMotionMapNumber = 101;
    static constexpr int packedMotionNumber = 102;
    static constexpr int unpackedMotionMapNumber = 103;
    static constexpr int maskNumber = 109;
    static constexpr int primaryWorkNumber = 200;
    static constexpr int secondaryWorkNumber = 201;

    // A side outside 1..maximumSide is taken as 1, an unknown format as UYVY, a ring count is
    // kept within 2..16.
    dvrImage(int width, int height, int format, int ringCount);
    ~dvrImage() override;
    dvrImage(const dvrImage&) = delete;
    dvrImage& operator=(const dvrImage&) = delete;

    static int bytesPerPixel(int format);
    static bool isKnownFormat(int format);

    int width() const { return width_; }
    int height() const { return height_; }
    int format() const { return format_; }
    int bytesPerPixel() const { return bytesPerPixel(format_); }
    // Bytes of one frame in the image's own format.
    std::size_t frameSize() const { return frameSize_; }
    int ringCount() const { return static_cast<int>(ring_.size()); }

    // The buffer for a number: 0 the current capture buffer, 1 the second ring buffer, 2-15 the
    // ring buffer of that number (above 10: minus 10), 99 compressed, 100 motion map, 101 the
    // previous map, 102 packed bitmap, 103 the map after unpacking the bitmap, 109 mask, 200 and
    // 201 the work buffers. Out of range gives the current capture buffer.
    std::uint8_t* buffer(int number);
    std::uint8_t* captureBuffer() { return ring_[0].data(); }
    const std::uint8_t* captureBuffer() const { return ring_[0].data(); }
    // The capture buffer as boards fill it.
    dvrFrameBuffer frameBuffer() { return {captureBuffer(), frameSize(), width(), height(), format()}; }
    std::uint8_t* referenceFrame() { return reference_.data(); }
    // Conversion outputs and their work buffers: width x height x 4 bytes each.
    std::uint8_t* conversionOutput(bool secondary) { return (secondary ? secondaryOutput_ : primaryOutput_).data(); }
    std::uint8_t* workBuffer(bool secondary) { return (secondary ? secondaryWork_ : primaryWork_).data(); }
    std::size_t conversionBufferSize() const { return primaryOutput_.size(); }

    // The compressed frame, written by a codec.
    std::uint8_t* compressedBuffer() { return compressed_.data(); }
    std::size_t compressedSize() const { return compressedSize_; }
    bool isKeyFrame() const { return keyFrame_; }
    // Fails (and changes nothing) when size exceeds the buffer.
    bool setCompressed(std::size_t size, bool keyFrame);

    // The current frame converted to the target format in the chosen output; null when the pair
    // of formats has no conversion.
    std::uint8_t* convert(int targetFormat, bool secondary);

    // Motion amount of the current frame against the reference (mode 2 only; others give 0).
    int detect(int mode, int sensitivityA, int sensitivityB, int noiseFilter, int tolerance);
    void refreshReference();
    int usedColumns() const { return usedColumns_; }
    int usedRows() const { return usedRows_; }
    const std::uint8_t* motionMap() const { return motion_.data(); }
    const std::uint8_t* previousMotionMap() const { return previousMotion_.data(); }

    // Cells outside the grid are ignored; values above 8 are stored as 8.
    void setMaskCell(int column, int row, int value);
    int maskCell(int column, int row) const;
    // A text of exactly 264 characters ('A' + value per cell) sets six grid rows; anything else
    // leaves the mask unchanged and fails.
    bool loadMaskRows(int part, std::string_view text);
    std::string saveMaskRows(int part) const;

    // Motion map <-> packed bitmap (bit set for cells above 10; unpacking gives 11 or 0).
    void pack();
    void unpack();
    const std::uint8_t* packedMotion() const { return packed_.data(); }
    // Whether a cell whose mask value is exactly 1 shows motion above 9.
    bool motionInZone() const;

    // Set by the capture thread; raised while the frame is being compressed.
    std::atomic<std::uint64_t> frameCounter{0};
    std::atomic<bool> busy{false};

private:
    int width_;
    int height_;
    int format_;
    std::size_t frameSize_;
    std::vector<std::vector<std::uint8_t>> ring_;
    std::vector<std::uint8_t> reference_;
    std::vector<std::uint8_t> primaryOutput_, primaryWork_, secondaryOutput_, secondaryWork_;
    std::vector<std::uint8_t> compressed_;
    std::size_t compressedSize_ = 0;
    bool keyFrame_ = false;
    std::vector<std::uint8_t> motion_, previousMotion_, mask_, packed_;
    int usedColumns_ = gridColumns;
    int usedRows_ = gridRows;
};
