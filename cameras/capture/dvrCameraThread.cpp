#include "capture/dvrCameraThread.h"

#include <algorithm>

#include "capture/dvrCompressionSlots.h"
#include "capture/dvrFrameRateMeter.h"
#include "capture/dvrFrameSink.h"
#include "capture/dvrRecordingRules.h"
#include "codec/dvrCodec.h"
#include "dvrBoard.h"
#include "dvrCamera.h"
#include "image/dvrImage.h"
#include "log/dvrLog.h"
#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingSet.h"
#include "watchdog/dvrOKThread.h"

namespace {

std::int64_t monotonicMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool globalRecordingPermitted() {
    dvrSettingSet* global = dvrGlobalSettings::instance();
    if (!global)
        return true;
    return dvrRecordingRules::evaluateNamed(global->getText("globalrecordrule")) !=
           dvrRecordingRules::Verdict::isFalse;
}

} // namespace

dvrCameraThread::dvrCameraThread(dvrCamera& camera) : camera_(camera) {}

dvrCameraThread::~dvrCameraThread() { stop(); }

void dvrCameraThread::start() {
    if (thread_.joinable())
        return;
    running_ = true;
    thread_ = std::jthread([this](std::stop_token stop) { run(stop); });
}

void dvrCameraThread::stop() {
    if (!thread_.joinable())
        return;
    thread_.request_stop();
    {
        std::lock_guard<std::mutex> guard(wakeLock_);
    }
    wake_.notify_all();
    thread_.join();
    thread_ = std::jthread();
}

bool dvrCameraThread::pause(std::stop_token& stop, std::chrono::milliseconds duration) {
    if (duration <= std::chrono::milliseconds::zero()) {
        std::this_thread::yield();
        return !stop.stop_requested();
    }
    std::unique_lock<std::mutex> guard(wakeLock_);
    wake_.wait_for(guard, stop, duration, [] { return false; });
    return !stop.stop_requested();
}

dvrRecordingDecision::Settings dvrCameraThread::decisionSettings() const {
    dvrSettingSet* settings = camera_.getSettings();
    dvrRecordingDecision::Settings values;
    values.framerate = settings->getInt("framerate");
    values.motionFramerate = settings->getInt("framerate_m");
    values.continuousFramerate = settings->getInt("framerate_c");
    values.postFrames = settings->getInt("postframes");
    return values;
}

void dvrCameraThread::run(std::stop_token stop) {
    streaming_ = camera_.getSettings()->getInt("streaming") != 0;
    dvrOKThread* watchdog = nullptr;
    if (camera_.getSettings()->getInt("wd_override") != -1) {
        watchdog = dvrOKThread::instance();
        if (watchdog)
            watchdog->registerModule(dvrOKThread::moduleOf(this), watchdogTimeoutSeconds, camera_.getName());
    }
    pendingData_.reserve(dvrImage::compressedCapacity);
    dvrFrameRateMeter meter(monotonicMilliseconds());

    while (!stop.stop_requested()) {
        if (watchdog)
            watchdog->reportAlive(dvrOKThread::moduleOf(this));
        PassState state;
        PassResult result = pass(stop, state);
        if (result == PassResult::end)
            break;
        if (result == PassResult::noFrame)
            pause(stop, std::chrono::milliseconds(10));
        if (result != PassResult::frameDone)
            continue;
        finishPass(state);

        if (meter.count(monotonicMilliseconds()))
            camera_.statistics().setMeasuredFramerate(meter.rate());
        std::chrono::milliseconds sleep(40);
        if (!state.remote) {
            int framerate = camera_.getSettings()->getInt("framerate");
            std::int64_t rest =
                framerate == 0 ? 10 : 1000 / framerate - (monotonicMilliseconds() - state.grabbedAt);
            sleep = std::chrono::milliseconds(std::clamp<std::int64_t>(rest, 0, 1000));
        }
        pause(stop, sleep);
    }

    if (watchdog && dvrOKThread::instance() == watchdog)
        watchdog->unregisterModule(dvrOKThread::moduleOf(this));
    running_ = false;
}

dvrCameraThread::PassResult dvrCameraThread::pass(std::stop_token& stop, PassState& state) {
    if (camera_.isReinitialising()) {
        idle_ = true;
        pause(stop, std::chrono::milliseconds(50));
        return PassResult::skipped;
    }
    idle_ = false;
    state.remote = camera_.getSettings()->getInt("client") != 0;
    // The device wait happens before any camera lock is taken.
    if (!camera_.waitForFrame(frameWaitMilliseconds))
        return PassResult::noFrame;
    return lockedPass(stop, state);
}

dvrCameraThread::PassResult dvrCameraThread::lockedPass(std::stop_token& stop, PassState& state) {
    std::lock_guard<std::recursive_mutex> codecGuard(camera_.codecLock());
    std::lock_guard<std::recursive_mutex> imageGuard(camera_.imageLock());
    dvrImage* image = camera_.getImage();
    if (!image)
        return PassResult::end;
    if (!camera_.grab())
        return PassResult::noFrame;
    image->frameCounter = frameNumber_++;
    decision_.frameGrabbed();
    state.grabbedAt = monotonicMilliseconds();
    camera_.clearNewFrameMark();

    dvrRecordingDecision::Frame frame;
    frame.permitted = globalRecordingPermitted();
    if (stop.stop_requested())
        return PassResult::end;
    if (!state.remote && frameNumber_ == 1) {
        // The first picture of a run becomes the reference: against the empty buffer it would
        // count as motion in every camera at every start.
        image->refreshReference();
    } else if (!state.remote) {
        frame.motionAmount = camera_.detectMotion();
        camera_.statistics().setLastMotion(frame.motionAmount);
        if (frame.motionAmount > 0 && frame.permitted)
            frame.motionRuleAllows = dvrRecordingRules::evaluateNamed(camera_.getSettings()->getText("recordbyrule")) !=
                                     dvrRecordingRules::Verdict::isFalse;
    }
    if (frame.permitted)
        frame.continuousRuleTrue = dvrRecordingRules::evaluateNamed(camera_.getSettings()->getText("recordbyruleC")) ==
                                   dvrRecordingRules::Verdict::isTrue;
    if (stop.stop_requested())
        return PassResult::end;

    dvrRecordingDecision::Outcome outcome = decision_.decide(decisionSettings(), frame);
    camera_.setContinuousRecording(outcome.continuous);
    state.record = outcome.record;
    state.motionTriggered = outcome.motionTriggered;
    compressAndHandOver(state, *image);
    state.compressedSize = static_cast<int>(image->compressedSize());
    state.width = image->width();
    state.height = image->height();
    return PassResult::frameDone;
}

void dvrCameraThread::compressAndHandOver(PassState& state, dvrImage& image) {
    dvrCodec* codec = camera_.getCodec();
    // A codec that reports "NULL" leaves the frame uncompressed: nothing to record.
    bool usableCodec = codec && codec->code() != dvrCodec::nullCode;
    bool compressed = false;
    if (!streaming_ && state.record && usableCodec && !state.remote) {
        dvrCompressionSlots::Hold slot(dvrCompressionSlots::process());
        image.busy = true;
        compressed = codec->compress();
        image.busy = false;
    }
    camera_.statistics().countGrabbed();
    state.handOff = state.record && !state.remote && (usableCodec || streaming_);
    if (!state.handOff)
        return;
    if (streaming_) {
        state.stored = camera_.storeStreamFrame();
        return;
    }
    // A failed compression leaves the previous frame's bytes in the buffer: never store those.
    if (!compressed || image.compressedSize() == 0)
        return;
    dvrFrameSink* sink = dvrFrameSink::current();
    if (!sink)
        return;

    image.pack();
    dvrFrameRecord& record = pendingRecord_;
    record = dvrFrameRecord();
    record.compressedSize = static_cast<std::uint32_t>(image.compressedSize());
    record.width = static_cast<std::uint32_t>(image.width());
    record.height = static_cast<std::uint32_t>(image.height());
    record.keyFrame = image.isKeyFrame() ? 1 : 0;
    record.code = dvrFrameRecord::codeOf(codec->code());
    std::copy(image.packedMotion(), image.packedMotion() + dvrFrameRecord::motionBitmapSize, record.motionBitmap.begin());
    // The time the picture was taken, not the time it was compressed.
    dvrCamera::CaptureTime taken = camera_.getCaptureTime();
    record.seconds = static_cast<std::uint32_t>(taken.seconds);
    record.milliseconds = static_cast<std::uint32_t>(taken.milliseconds);
    dvrBoard* board = camera_.getBoard();
    record.boardId = static_cast<std::uint32_t>(board ? board->getSettings()->getInt("ID") : camera_.getBoardId());
    record.input = static_cast<std::uint32_t>(camera_.getInput());
    if (sink->addFrame(record, image.compressedBuffer(), image.compressedSize())) {
        state.stored = 1;
        return;
    }
    // The queue is full: keep a copy and try again once the camera is unlocked.
    pendingData_.assign(image.compressedBuffer(), image.compressedBuffer() + image.compressedSize());
    state.retryStore = true;
}

bool dvrCameraThread::retryHandOver() {
    for (int attempt = 1; attempt < storeAttempts; ++attempt) {
        std::this_thread::sleep_for(storeRetryPause);
        dvrFrameSink* sink = dvrFrameSink::current();
        if (!sink)
            return false;
        if (sink->addFrame(pendingRecord_, pendingData_.data(), pendingData_.size()))
            return true;
    }
    return false;
}

void dvrCameraThread::finishPass(PassState& state) {
    if (state.retryStore) {
        if (retryHandOver()) {
            state.stored = 1;
        } else {
            ++framesDropped_;
            if (!dropEpisode_)
                logWarning("[CAPTURE] The recording queue is full; frames of camera %s are being dropped.\n",
                           camera_.getName().c_str());
            dropEpisode_ = true;
        }
    }
    if (state.stored > 0) {
        for (int frame = 0; frame < state.stored; ++frame)
            camera_.statistics().countRecorded();
        decision_.frameRecorded();
        dropEpisode_ = false;
    }
    if (!firstFrameLogged_) {
        firstFrameLogged_ = true;
        logMessage("[CAPTURE] Camera %s captures %d x %d pictures.\n", camera_.getName().c_str(), state.width,
                   state.height);
    }
    // One change per pass, so readers never see the indicator blink within a frame.
    if (!state.remote) {
        bool recordingMotion = state.motionTriggered && state.handOff;
        bool started = recordingMotion && !camera_.isMotionRecording();
        camera_.setMotionRecording(recordingMotion);
        std::int64_t now = monotonicMilliseconds();
        if (started && (lastMotionLog_ == 0 || now - lastMotionLog_ >= motionLogMilliseconds)) {
            lastMotionLog_ = now;
            logMessage("[CAPTURE] Motion recorded on camera %s.\n", camera_.getName().c_str());
        }
    }
    camera_.statistics().addCompressedSize(state.compressedSize);
}
