#pragma once

#include <atomic>
#include <string>

#include "dvrBoard.h"
#include "network/dvrHttpClient.h"
#include "network/dvrHttpPictureSession.h"
#include "network/dvrRgbPicture.h"

// The board of network cameras: eight inputs, each a camera that publishes still JPEG pictures
// over HTTP. It has no hardware; it fetches and decodes pictures for its cameras. Each camera
// brings its own session, so cameras fetch at the same time without waiting for each other.
class dvrBoard_http : public dvrBoard {
public:
    static constexpr int cameraType = 11;
    static constexpr int inputCount = 8;

    enum class FetchResult {
        fetched,
        failed,       // no connection, refused, reset
        timedOut,
        httpError,    // an answer other than 200
        emptyBody,
        tooLarge,     // a body above the cap
        notJpeg,      // not one whole JPEG picture
        undecodable,
        pictureTooLarge,
        stopped,
    };

    bool open() override;
    bool close() override;
    bool isOpened() const { return opened_; }
    int getInputCount() const override { return inputCount; }
    int getCameraType(int) const override { return cameraType; }
    std::string getTypeName() const override { return "Network"; }

    // GET the request and decode the answer into picture. Blocks for at most the session's
    // time-out; call it without any camera lock held.
    FetchResult fetchPicture(dvrHttpPictureSession& session, const dvrHttpClient::Request& request,
                             dvrRgbPicture& picture);

    static const char* describe(FetchResult result);

private:
    std::atomic<bool> opened_{false};
};
