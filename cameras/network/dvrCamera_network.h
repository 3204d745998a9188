#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "dvrCamera.h"
#include "network/dvrBoard_http.h"
#include "network/dvrHttpPictureSession.h"
#include "network/dvrNetworkCameraUrl.h"
#include "network/dvrRgbPicture.h"

// A camera that publishes still JPEG pictures over HTTP, polled once per frame. The capture
// thread's frame wait fetches and decodes the picture with no camera lock held; grab only copies
// the decoded picture into the image. A fetch that brings no usable picture is a failed grab:
// nothing is recorded, failedGrabs() counts it, the status shows "no connection", and the next
// attempt waits for the next frame period. A picture of another size than the image asks the
// core's next refresh for one restart with that size ("force_size", "restartnow").
class dvrCamera_network : public dvrCamera {
public:
    static constexpr int cameraType = 11;
    static constexpr int lowResolution = 0;  // 320 x 240
    static constexpr int highResolution = 1; // 640 x 480
    static constexpr int defaultQuality = 80;
    static constexpr int pictureDefault = 128;
    static constexpr int maximumChannel = 16;

    explicit dvrCamera_network(dvrBoard* board);
    ~dvrCamera_network() override;

    // Fetches the next picture; the fetch has its own time-outs and a stop cuts it short, so the
    // capture thread's wait limit does not apply.
    bool waitForFrame(int timeoutMilliseconds) override;
    bool grab() override;
    void prepareStart() override;
    int applySet(const dvrCommand& command) override;

    // The URL settings as they are now.
    dvrNetworkCameraUrl::Settings urlSettings() const;
    // Fetches since construction that brought no usable picture.
    std::int64_t failedGrabs() const { return failedGrabs_; }
    // Restarts asked for because the pictures changed size.
    std::int64_t sizeRestarts() const { return sizeRestarts_; }
    // For tests: shorter fetch time-outs, so a stalled server costs them little. The program
    // keeps dvrHttpClient's (a whole transfer may take 10 s).
    void setFetchTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total);

protected:
    bool createImage(int width, int height, int format) override;
    void releaseImage() override;
    // Cuts a running fetch short, so the thread ends at once.
    void stopCaptureThread() override;

private:
    dvrBoard_http* httpBoard() const;
    // After a failure or a picture of the wrong size, the next attempt waits for the frame
    // period; false when asked to stop.
    bool waitAfterFailure();
    void countFailure(const char* reason, const std::string& shownUrl);
    void requestRestartWithSize(int width, int height);

    dvrHttpPictureSession session_;
    // Filled by the fetch on the capture thread; handed over to grab under pictureLock_.
    dvrRgbPicture fetched_;
    std::mutex pictureLock_;
    dvrRgbPicture waiting_;
    bool pictureWaiting_ = false;

    // Size of the image buffers, readable without the image lock.
    std::atomic<int> imageWidth_{0};
    std::atomic<int> imageHeight_{0};

    std::atomic<std::int64_t> failedGrabs_{0};
    std::atomic<std::int64_t> sizeRestarts_{0};

    std::mutex pauseLock_;
    std::condition_variable pauseWake_;
    bool stopping_ = false;
    // Capture-thread state.
    bool failing_ = false;
    bool sizeMismatch_ = false;
    std::chrono::steady_clock::time_point lastAttempt_{};
    std::string shownUrl_;
};
