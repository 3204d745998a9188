#include "image/dvrImage.h"

#include <algorithm>
#include <cstring>

#include "image/dvrPixelConversion.h"
#include "object/dvrEvents.h"

namespace {
int clampSide(int side) { return side >= 1 && side <= dvrImage::maximumSide ? side : 1; }
} // namespace

bool dvrImage::isKnownFormat(int format) {
    switch (format) {
    case formatUYVY:
    case formatRGB24:
    case formatRGB32:
    case formatBGR24:
    case formatPlanar422:
    case formatPlanar420:
    case formatBottomUpBGR24:
        return true;
    default:
        return false;
    }
}

int dvrImage::bytesPerPixel(int format) {
    switch (format) {
    case formatRGB24:
    case formatBGR24:
    case formatBottomUpBGR24:
        return 3;
    case formatRGB32:
        return 4;
    default:
        return 2;
    }
}

dvrImage::dvrImage(int width, int height, int format, int ringCount)
    : width_(clampSide(width)), height_(clampSide(height)), format_(isKnownFormat(format) ? format : formatUYVY),
      frameSize_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) *
                 static_cast<std::size_t>(bytesPerPixel(format_))) {
    ring_.resize(static_cast<std::size_t>(std::clamp(ringCount, 2, 16)));
    for (auto& buffer : ring_)
        buffer.assign(frameSize_, 0);
    reference_.assign(frameSize_, 0);
    std::size_t conversionSize = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4;
    for (auto* buffer : {&primaryOutput_, &primaryWork_, &secondaryOutput_, &secondaryWork_})
        buffer->assign(conversionSize, 0);
    compressed_.assign(compressedCapacity, 0);
    motion_.assign(gridCells, 0);
    previousMotion_.assign(gridCells, 0);
    mask_.assign(gridCells, 0);
    packed_.assign(packedMotionBytes, 0);
    if (format_ == formatUYVY) {
        // Black in UYVY: neutral chroma, zero luminance.
        std::uint8_t* capture = ring_[0].data();
        for (std::size_t i = 0; i + 1 < frameSize_; i += 2) {
            capture[i] = 0x80;
            capture[i + 1] = 0x00;
        }
    }
}

dvrImage::~dvrImage() { announceDestruction(); }

std::uint8_t* dvrImage::buffer(int number) {
    switch (number) {
    case compressedBufferNumber:
        return compressed_.data();
    case motionMapNumber:
        return motion_.data();
    case previousMotionMapNumber:
        return previousMotion_.data();
    case packedMotionNumber:
        return packed_.data();
    case unpackedMotionMapNumber:
        unpack();
        return motion_.data();
    case maskNumber:
        return mask_.data();
    case primaryWorkNumber:
        return primaryWork_.data();
    case secondaryWorkNumber:
        return secondaryWork_.data();
    default:
        break;
    }
    if (number > 10 && number <= 15)
        number -= 10;
    if (number >= 0 && number < static_cast<int>(ring_.size()))
        return ring_[static_cast<std::size_t>(number)].data();
    return ring_[0].data();
}

bool dvrImage::setCompressed(std::size_t size, bool keyFrame) {
    if (size > compressedCapacity)
        return false;
    compressedSize_ = size;
    keyFrame_ = keyFrame;
    return true;
}

std::uint8_t* dvrImage::convert(int targetFormat, bool secondary) {
    std::uint8_t* output = conversionOutput(secondary);
    std::uint8_t* work = workBuffer(secondary);
    bool converted = dvrPixelConversion::convert(captureBuffer(), format_, output, targetFormat, work, width_, height_);
    return converted ? output : nullptr;
}

void dvrImage::refreshReference() { std::memcpy(reference_.data(), ring_[0].data(), frameSize_); }

int dvrImage::detect(int mode, int sensitivityA, int sensitivityB, int noiseFilter, int tolerance) {
    std::memcpy(previousMotion_.data(), motion_.data(), gridCells);
    std::memset(motion_.data(), 0, gridCells);
    if (mode != 2)
        return 0;
    sensitivityA = std::max(sensitivityA, 1);
    sensitivityB = std::max(sensitivityB, 1);
    if (noiseFilter > 7)
        return 0;
    noiseFilter = std::max(noiseFilter, 0);

    int sampledByte = 0;
    switch (format_) {
    case formatUYVY:
        sampledByte = 1;
        break;
    case formatRGB24:
        sampledByte = 0;
        break;
    case formatBGR24:
        sampledByte = 2;
        break;
    default:
        return 0;
    }
    const int pixelBytes = bytesPerPixel();
    const int cellWidth = (width_ + gridColumns - 1) / gridColumns;
    const int cellHeight = (height_ + gridRows - 1) / gridRows;
    int columns = gridColumns;
    for (int product = gridColumns * cellWidth; width_ < product; product -= cellWidth)
        --columns;
    int rows = gridRows;
    for (int product = gridRows * cellHeight; height_ < product; product -= cellHeight)
        --rows;
    usedColumns_ = columns;
    usedRows_ = rows;

    const std::uint8_t* current = ring_[0].data();
    const std::uint8_t* reference = reference_.data();
    const std::size_t stride = static_cast<std::size_t>(width_) * static_cast<std::size_t>(pixelBytes);
    long total = 0;
    for (int row = 0; row < rows; ++row) {
        const int top = row * cellHeight;
        // Cells smaller than the 8 x 8 sample block are clipped to the picture.
        const int blockRows = std::min(8, height_ - top);
        for (int column = 0; column < columns; ++column) {
            const int index = row * gridColumns + column;
            if (mask_[static_cast<std::size_t>(index)] != 0)
                continue;
            const int left = column * cellWidth;
            const int blockColumns = std::min(8, width_ - left);
            int sum = 0;
            for (int y = 0; y < blockRows; ++y) {
                std::size_t offset = static_cast<std::size_t>(top + y) * stride +
                                     static_cast<std::size_t>(left) * static_cast<std::size_t>(pixelBytes) +
                                     static_cast<std::size_t>(sampledByte);
                for (int x = 0; x < blockColumns; ++x, offset += static_cast<std::size_t>(pixelBytes)) {
                    int difference = current[offset] - reference[offset];
                    sum += (difference < 0 ? -difference : difference) >> noiseFilter;
                }
            }
            int value = std::min(sum / sensitivityA, 255);
            if (value < 3)
                value = 0;
            motion_[static_cast<std::size_t>(index)] = static_cast<std::uint8_t>(value);
            total += value;
        }
    }
    long amount = total / sensitivityB;
    return amount > tolerance ? static_cast<int>(amount) : 0;
}

void dvrImage::setMaskCell(int column, int row, int value) {
    if (column < 0 || column >= gridColumns || row < 0 || row >= gridRows)
        return;
    mask_[static_cast<std::size_t>(row * gridColumns + column)] =
        static_cast<std::uint8_t>(std::clamp(value, 0, maximumMaskValue));
}

int dvrImage::maskCell(int column, int row) const {
    if (column < 0 || column >= gridColumns || row < 0 || row >= gridRows)
        return 0;
    return mask_[static_cast<std::size_t>(row * gridColumns + column)];
}

bool dvrImage::loadMaskRows(int part, std::string_view text) {
    if (part < 0 || part >= maskParts || text.size() != maskTextLength)
        return false;
    std::size_t first = static_cast<std::size_t>(part) * maskTextLength;
    for (std::size_t i = 0; i < maskTextLength; ++i)
        mask_[first + i] = static_cast<std::uint8_t>(std::clamp(text[i] - 'A', 0, maximumMaskValue));
    return true;
}

std::string dvrImage::saveMaskRows(int part) const {
    if (part < 0 || part >= maskParts)
        return std::string();
    std::string text(maskTextLength, 'A');
    std::size_t first = static_cast<std::size_t>(part) * maskTextLength;
    for (std::size_t i = 0; i < maskTextLength; ++i)
        text[i] = static_cast<char>('A' + mask_[first + i]);
    return text;
}

void dvrImage::pack() {
    std::memset(packed_.data(), 0, packedMotionBytes);
    for (int cell = 0; cell < gridCells; ++cell)
        if (motion_[static_cast<std::size_t>(cell)] > 10)
            packed_[static_cast<std::size_t>(cell / 8)] |= static_cast<std::uint8_t>(1u << (cell % 8));
}

void dvrImage::unpack() {
    for (int cell = 0; cell < gridCells; ++cell)
        motion_[static_cast<std::size_t>(cell)] =
            (packed_[static_cast<std::size_t>(cell / 8)] >> (cell % 8)) & 1 ? 11 : 0;
}

bool dvrImage::motionInZone() const {
    for (int cell = 0; cell < gridCells; ++cell)
        if (mask_[static_cast<std::size_t>(cell)] == 1 && motion_[static_cast<std::size_t>(cell)] > 9)
            return true;
    return false;
}
