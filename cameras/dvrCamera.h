#pragma once

#include <atomic>
#include <memory>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "dvrCameraStatistics.h"
#include "dvrMotionParameters.h"
#include "dvrResolutionTable.h"
#include "object/dvrObject.h"

class dvrBoard;
class dvrCommand;
class dvrCodec;
class dvrCameraThread;
class dvrImage;

// Base of every camera kind: one video input of one board. The settings set is the only owner
// of the camera's configuration; the camera keeps copies only of the motion parameters, which
// the capture thread reads on every frame.
//
// Image buffers, codec, dome driver and capture thread plug in through the protected hooks below;
// the base has none of them.
class dvrCamera : public dvrObject {
public:
    // Status value shown by the camera panel; 0 and other values show nothing.
    enum Status { noStatus = 0, imagesArriving = 1, waitingForImage = 3, connecting = 5, noConnection = 9 };
    // Events a camera announces besides those every notifier has.
    static constexpr std::uint32_t constructedEvent = 1;
    static constexpr std::uint32_t motionRecordingEvent = 32;
    // Codec modes: frames captured here, or frames that arrive compressed from elsewhere.
    static constexpr int localCodecMode = 1;
    static constexpr int remoteCodecMode = 2;
    static constexpr int maximumSupportedFormats = 16;

    struct CaptureTime {
        std::int64_t seconds = 0; // since 1970-01-01 UTC
        int milliseconds = 0;     // 0-999
    };

    explicit dvrCamera(dvrBoard* board);
    ~dvrCamera() override;

    // The board, or null without one or after the board went away.
    dvrBoard* getBoard() const { return board_.load(); }
    // The board's ID when the camera was made, -1 without a board.
    int getBoardId() const { return boardId_; }
    // 0-based input, -1 when not attached.
    int getInput() const { return input_; }
    bool isStarted() const { return started_; }
    // Whether the capture thread runs.
    bool isCapturing() const;
    bool isReinitialising() const { return reinitialising_; }
    // 1 PAL, 0 NTSC; taken from the board when the camera is made.
    int getVideoStandard() const { return videoStandard_; }

    virtual int getMaxFramerate() const;
    virtual int getMinFramerate() const { return 1; }
    virtual void setPlaybackMode(bool on) { playbackMode_ = on; }
    bool isPlaybackMode() const { return playbackMode_; }
    virtual bool isStream() const { return false; }
    // Settings of the input; each stores what the board grants.
    virtual bool setResolution(int index);
    virtual bool setFormat(int format);
    virtual int setFramerate(int framesPerSecond);
    // Takes the board input; fails when there is no board or the input is out of range or taken.
    virtual bool attach(int input);
    virtual int start();
    virtual int stop();
    // Analog cameras reapply their picture settings and resolution here.
    virtual void prepareStart() {}
    // Waits for the next picture with no camera lock held (a device wait, a network fetch); the
    // capture thread calls it before it locks the camera for grab. False: nothing arrived in time.
    virtual bool waitForFrame(int timeoutMilliseconds);
    // One picture from the board into the image buffers; takes the capture time.
    virtual bool grab();
    // Motion amount of the newest picture.
    virtual int detectMotion();
    // Picture controls, 0-255: stored, then passed to the board for the input.
    virtual bool setBrightness(int value);
    virtual bool setContrast(int value);
    virtual bool setSharpness(int value);
    virtual bool setColor(int value);
    virtual bool setHue(int value);
    // Remembers the codec identity and builds the codec; keyframeInterval -1 keeps the current.
    virtual bool setCodec(const std::string& code, int mode, int keyframeInterval);
    virtual bool resetCodec();
    virtual float getFrameAspect() const;
    // A parsed "dome" line for this camera's dome driver.
    virtual bool domeCommand(const dvrCommand& command);
    virtual int storeStreamFrame() { return 0; }

    // Rebuilds the camera from its settings; restarts it when it was started. Fails without a
    // board.
    bool init();

    int applySet(const dvrCommand& command) override;
    void onNotify(dvrNotifier* notifier, std::uint32_t events) override;

    dvrMotionParameters::Values motionParameters() const { return motion_.values(); }
    dvrCameraStatistics& statistics() { return statistics_; }
    const dvrCameraStatistics& statistics() const { return statistics_; }
    int getStatus() const { return status_; }
    void setStatus(int status) { status_ = status; }
    // Whether the camera panel shows anything for the status value.
    static bool isShownStatus(int status);
    CaptureTime getCaptureTime() const;

    bool isMotionRecording() const { return motionRecording_; }
    // Announces motionRecordingEvent when the indicator changes.
    void setMotionRecording(bool on);
    // True once for each newly grabbed frame: consumers skip frames they have already seen.
    bool takeNewFrame() { return !newFrameTaken_.exchange(true); }
    // The capture thread marks each grabbed frame as new.
    void clearNewFrameMark() { newFrameTaken_ = false; }
    bool isContinuousRecording() const { return continuousRecording_; }
    void setContinuousRecording(bool on) { continuousRecording_ = on; }

    int openWindowCount() const { return openWindows_; }
    void windowOpened() { ++openWindows_; }
    void windowClosed();

    std::string getCodecCode() const;
    int getCodecMode() const;

    int resolutionCount() const { return resolutions_.count(); }
    bool supportsFormat(int format) const;

    // The image buffers and the codec; read them with the image (and codec) lock held.
    dvrImage* getImage() { return captureImage(); }
    dvrCodec* getCodec() const { return codec_.get(); }

    // Lock order: codec before image. All three are recursive.
    std::recursive_mutex& codecLock() { return codecLock_; }
    std::recursive_mutex& imageLock() { return imageLock_; }
    std::recursive_mutex& domeLock() { return domeLock_; }

protected:
    // For kinds, from their constructors: the resolution table and its "resolution" choices
    // (add the sizes first), the accepted formats and "format" (add the formats first), and the
    // size used when the table does not apply.
    bool addResolution(int width, int height, std::string_view label);
    void declareResolutionSetting();
    bool addSupportedFormat(int format);
    void declareFormatSetting();
    void setDefaultSize(int width, int height);

    // Hooks for the image buffers, the codec, the dome driver and the capture thread; the
    // camera holds the matching lock around each call. The base owns a dvrImage and a dvrCodec;
    // kinds that build something else here release it in their own destructor.
    //
    // Image lock held: release the buffers; make buffers of that size and format and load
    // "mask0" to "mask5" into them; the buffers a grab fills (null while there are none).
    virtual void releaseImage();
    virtual bool createImage(int width, int height, int format);
    virtual dvrImage* captureImage() { return image_.get(); }
    // Codec lock held: drop the codec; build one for the code and mode; change its quality.
    virtual void releaseCodec();
    virtual bool createCodec(const std::string& code, int mode, int keyframeInterval);
    virtual void setCodecQuality(int quality);
    // Dome lock held: rebuild the dome driver from "dometype", "domeaddr" and "domecom".
    virtual void rebuildDome() {}
    // No camera lock held: run and end the capture thread; ending waits for it. The base runs a
    // dvrCameraThread. Kinds call stop() first in their destructor, so the thread never calls a
    // kind that is already gone.
    virtual void startCaptureThread();
    virtual void stopCaptureThread();

    void takeCaptureTime();

private:
    std::unique_ptr<dvrImage> image_;
    std::unique_ptr<dvrCodec> codec_;
    std::unique_ptr<dvrCameraThread> captureThread_;

    int framerateCeiling() const;
    // Steps of init: the input's settings on the board, then buffers and codec for them.
    void applyInputSettings(bool client);
    bool rebuildImageAndCodec(bool client);
    void reinitialiseIfStarted();
    void forgetBoard();
    bool applyInt(const std::string& key, int value);
    bool pictureControl(const char* key, int value, bool (dvrBoard::*operation)(int, int));

    std::atomic<dvrBoard*> board_;
    const int boardId_;
    const int videoStandard_;
    std::atomic<int> input_{-1};

    std::atomic<bool> started_{false};
    // Whether start told the board to start the input, so stop tells it to stop only then.
    std::atomic<bool> inputStarted_{false};
    std::atomic<bool> reinitialising_{false};
    std::atomic<bool> playbackMode_{false};
    std::atomic<bool> motionRecording_{false};
    std::atomic<bool> continuousRecording_{false};
    std::atomic<bool> newFrameTaken_{true};
    std::atomic<int> status_{noStatus};
    std::atomic<int> openWindows_{0};
    std::atomic<std::int64_t> captureMilliseconds_{0};

    dvrMotionParameters motion_;
    dvrCameraStatistics statistics_;
    dvrResolutionTable resolutions_;
    std::atomic<int> defaultWidth_{0};
    std::atomic<int> defaultHeight_{0};

    // Filled by the kind's constructor, read at every reinitialisation.
    mutable std::mutex kindTablesLock_;
    std::vector<int> supportedFormats_;
    std::vector<std::string> resolutionLabels_;

    mutable std::mutex codecIdentityLock_;
    std::string codecCode_ = "MPG4";
    int codecMode_ = localCodecMode;

    std::recursive_mutex codecLock_;
    std::recursive_mutex imageLock_;
    std::recursive_mutex domeLock_;
};
