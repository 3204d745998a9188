#pragma once

#include <cstdint>
#include <vector>

#include "network/dvrHttpClient.h"
#include "network/dvrJpegDecoder.h"
#include "network/dvrRgbPicture.h"

// What one network camera keeps between its picture fetches: its HTTP session, its JPEG decoder
// and the buffer of the last answer. Used by the camera's capture thread only (abort aside).
struct dvrHttpPictureSession {
    dvrHttpClient http;
    dvrJpegDecoder decoder;
    std::vector<std::uint8_t> body;
};
