#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "capture/dvrCameraThread.h"
#include "capture/dvrFrameRecord.h"
#include "capture/dvrFrameSink.h"
#include "capture/dvrRecordingRules.h"
#include "dvrBoard.h"
#include "dvrCamera.h"
#include "dvrCapturedLog.h"
#include "image/dvrImage.h"
#include "object/dvrObserver.h"
#include "settings/dvrSettingSet.h"

namespace {

using Clock = std::chrono::system_clock;

std::int64_t wallMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
}

// Plays a script of frames: 'M' a picture that differs from the one before (motion), '.' the
// same picture again, 'N' a picture of noise, too big for the compressed-frame buffer as MJPEG.
// After the script it has no more pictures.
class ScriptedBoard : public dvrBoard {
public:
    int getInputCount() const override { return 4; }

    void play(std::string script) {
        std::lock_guard<std::mutex> guard(lock_);
        script_ = std::move(script);
        next_ = 0;
        pastEnd_ = false;
        // A new image starts with a black reference: the first picture is black too.
        level_ = 0;
    }

    bool grabFrame(int, const dvrFrameBuffer& buffer) override {
        std::lock_guard<std::mutex> guard(lock_);
        if (next_ >= script_.size()) {
            pastEnd_ = true;
            ended_.notify_all();
            return false;
        }
        char step = script_[next_++];
        std::uint8_t* pixels = buffer.data;
        if (step == 'N') {
            std::generate(pixels, pixels + buffer.size, [this] { return static_cast<std::uint8_t>(noise_()); });
            return true;
        }
        if (step == 'M')
            level_ = level_ == 200 ? 0 : 200;
        std::memset(pixels, level_, buffer.size);
        return true;
    }

    // True once the thread asked for a frame after the script, so every scripted frame is done.
    bool waitForEnd() {
        std::unique_lock<std::mutex> guard(lock_);
        return ended_.wait_for(guard, std::chrono::seconds(20), [this] { return pastEnd_; });
    }

private:
    std::mutex lock_;
    std::condition_variable ended_;
    std::string script_;
    std::size_t next_ = 0;
    bool pastEnd_ = false;
    int level_ = 0;
    std::mt19937 noise_{7};
};

class ScriptedCamera : public dvrCamera {
public:
    explicit ScriptedCamera(dvrBoard* board) : dvrCamera(board) {
        addResolution(352, 288, "352x288");
        addResolution(704, 576, "704x576");
        declareResolutionSetting();
        addSupportedFormat(dvrImage::formatUYVY);
        declareFormatSetting();
        setDefaultSize(352, 288);
    }
    ~ScriptedCamera() override { stop(); }
};

struct StoredFrame {
    dvrFrameRecord record;
    std::vector<std::uint8_t> data;
    std::uint64_t frameNumber = 0;
};

// Keeps what the capture thread hands over; can refuse a number of times, as a full queue does,
// and checks meanwhile whether another thread could lock the camera.
class CollectingSink : public dvrFrameSink {
public:
    explicit CollectingSink(dvrCamera& camera) : camera_(camera) { install(this); }
    ~CollectingSink() override { remove(this); }

    bool addFrame(const dvrFrameRecord& record, const std::uint8_t* data, std::size_t size) override {
        std::lock_guard<std::mutex> guard(lock_);
        ++calls;
        if (refusals > 0) {
            --refusals;
            if (calls > 1)
                lockedDuringRetry = lockedDuringRetry || cameraLockedElsewhere();
            return false;
        }
        frames.push_back({record, std::vector<std::uint8_t>(data, data + size), camera_.getImage()->frameCounter.load()});
        return true;
    }

    std::vector<std::uint64_t> frameNumbers() {
        std::lock_guard<std::mutex> guard(lock_);
        std::vector<std::uint64_t> numbers;
        for (const StoredFrame& frame : frames)
            numbers.push_back(frame.frameNumber);
        return numbers;
    }

    std::mutex lock_;
    std::vector<StoredFrame> frames;
    int refusals = 0;
    int calls = 0;
    bool lockedDuringRetry = false;

private:
    bool cameraLockedElsewhere() {
        bool locked = false;
        std::thread other([&] {
            std::unique_lock<std::recursive_mutex> codec(camera_.codecLock(), std::try_to_lock);
            std::unique_lock<std::recursive_mutex> image(camera_.imageLock(), std::try_to_lock);
            locked = !codec.owns_lock() || !image.owns_lock();
        });
        other.join();
        return locked;
    }

    dvrCamera& camera_;
};

class MotionEventCounter : public dvrObserver {
public:
    explicit MotionEventCounter(dvrCamera& camera) { camera.addObserver(this, dvrCamera::motionRecordingEvent); }
    ~MotionEventCounter() override { stopObserving(); }
    void onNotify(dvrNotifier* notifier, std::uint32_t events) override {
        dvrObserver::onNotify(notifier, events);
        if (events & dvrCamera::motionRecordingEvent)
            ++changes;
    }
    std::atomic<int> changes{0};
};

class dvrCameraThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(camera.attach(1));
        settings()->setInt("framerate", 25);
    }
    void TearDown() override { camera.stop(); }

    dvrSettingSet* settings() { return camera.getSettings(); }

    // Initialises the camera, plays the script through its capture thread and stops it.
    void capture(const std::string& script) {
        ASSERT_TRUE(camera.init());
        board.play(script);
        camera.start();
        ASSERT_TRUE(board.waitForEnd());
        camera.stop();
    }

    ScriptedBoard board;
    ScriptedCamera camera{&board};
    CollectingSink sink{camera};
};

TEST_F(dvrCameraThreadTest, MotionFramesReachTheStorageWithTheirRecord) {
    MotionEventCounter events(camera);
    board.getSettings()->setInt("ID", 7);
    std::int64_t before = wallMilliseconds();
    capture("..MMM....");
    std::int64_t after = wallMilliseconds();

    EXPECT_EQ(sink.frameNumbers(), (std::vector<std::uint64_t>{2, 3, 4}));
    for (const StoredFrame& frame : sink.frames) {
        const dvrFrameRecord& record = frame.record;
        EXPECT_EQ(record.compressedSize, frame.data.size());
        EXPECT_GT(record.compressedSize, 0u);
        EXPECT_EQ(record.width, 352u);
        EXPECT_EQ(record.height, 288u);
        EXPECT_EQ(record.codeText(), "MPG4");
        EXPECT_EQ(record.extensionLength, 0);
        EXPECT_EQ(record.boardId, 7u);
        EXPECT_EQ(record.input, 1u);
        std::int64_t taken = std::int64_t(record.seconds) * 1000 + record.milliseconds;
        EXPECT_GE(taken, before - 1000);
        EXPECT_LE(taken, after + 1000);
        // The stored bitmap shows where the motion was.
        EXPECT_TRUE(std::any_of(record.motionBitmap.begin(), record.motionBitmap.end(), [](std::uint8_t b) { return b != 0; }))
            << frame.frameNumber;
    }
    ASSERT_FALSE(sink.frames.empty());
    EXPECT_EQ(sink.frames.front().record.keyFrame, 1u);

    const dvrCameraStatistics& statistics = camera.statistics();
    EXPECT_EQ(statistics.framesGrabbed(), 9);
    EXPECT_EQ(statistics.framesRecorded(), 3);
    EXPECT_EQ(statistics.lastMotion(), 0);
    // On with the first motion frame, off with the first still one: one change each, no blinking.
    EXPECT_EQ(events.changes.load(), 2);
    EXPECT_FALSE(camera.isMotionRecording());
    EXPECT_TRUE(camera.takeNewFrame());
    EXPECT_FALSE(camera.takeNewFrame());
}

TEST_F(dvrCameraThreadTest, NothingIsRecordedWithoutACodecOrAfterAFailedCompression) {
    struct Case {
        const char* name;
        int codec;
        int resolution;
        std::string script;
        std::vector<std::uint64_t> stored;
    } cases[] = {
        {"codec NULL", -1, 0, ".MMM", {}},
        // Noise does not fit the compressed-frame buffer: the frame before it must not be stored
        // again under the new time.
        {"MJPEG frames too big for the buffer", 1, 1, ".MNNM", {1, 4}},
    };
    for (const Case& c : cases) {
        settings()->setInt("codec", c.codec);
        settings()->setInt("resolution", c.resolution);
        settings()->setInt("compress", 100);
        sink.frames.clear();
        camera.statistics().clear();
        capture(c.script);
        EXPECT_EQ(sink.frameNumbers(), c.stored) << c.name;
        EXPECT_EQ(camera.statistics().framesRecorded(), static_cast<std::int64_t>(c.stored.size())) << c.name;
        EXPECT_EQ(camera.statistics().framesGrabbed(), static_cast<std::int64_t>(c.script.size())) << c.name;
    }
}

TEST_F(dvrCameraThreadTest, AFullQueueIsRetriedWithTheCameraUnlockedAndADroppedFrameIsNotCounted) {
    dvrCapturedLog log;
    sink.refusals = 3;
    capture(".M");
    ASSERT_EQ(sink.frames.size(), 1u);
    EXPECT_EQ(sink.calls, 4);
    EXPECT_FALSE(sink.lockedDuringRetry);
    EXPECT_EQ(camera.statistics().framesRecorded(), 1);

    sink.frames.clear();
    sink.refusals = 1000;
    capture(".MM");
    EXPECT_TRUE(sink.frames.empty());
    EXPECT_EQ(camera.statistics().framesRecorded(), 1);
    EXPECT_EQ(log.all().find("being dropped"), log.all().rfind("being dropped")) << "logged once per episode";
    EXPECT_TRUE(log.contains("The recording queue is full; frames of camera"));
}

// Rules that answer from a table; "slow" takes its time, so a time read after the rules would
// differ from the grab time.
class TableRules : public dvrRecordingRules {
public:
    TableRules() { install(this); }
    ~TableRules() override { remove(this); }
    Verdict evaluate(std::string_view name) override {
        if (name == "slow") {
            std::lock_guard<std::mutex> guard(lock);
            slowCalls.push_back(wallMilliseconds());
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            return Verdict::isTrue;
        }
        if (name == "true")
            return Verdict::isTrue;
        if (name == "false")
            return Verdict::isFalse;
        return Verdict::noSuchRule;
    }
    std::mutex lock;
    std::vector<std::int64_t> slowCalls;
};

TEST_F(dvrCameraThreadTest, RecordingRulesDecideWhatIsStored) {
    TableRules rules;
    struct Case {
        const char* motionRule;
        const char* continuousRule;
        std::string script;
        std::vector<std::uint64_t> stored;
    } cases[] = {
        {"", "", ".M.", {1}},
        {"missing", "missing", ".M.", {1}},
        {"false", "", ".MM", {}},
        {"true", "", ".MM", {1, 2}},
        {"", "true", "...", {0, 1, 2}},
    };
    for (const Case& c : cases) {
        settings()->setText("recordbyrule", c.motionRule);
        settings()->setText("recordbyruleC", c.continuousRule);
        sink.frames.clear();
        capture(c.script);
        EXPECT_EQ(sink.frameNumbers(), c.stored) << c.motionRule << " / " << c.continuousRule;
    }
    // Motion seen but not allowed by its rule: measured, never recorded, no indicator.
    settings()->setText("recordbyrule", "false");
    capture(".M");
    EXPECT_GT(camera.statistics().lastMotion(), 0);
    EXPECT_FALSE(camera.isMotionRecording());
}

TEST_F(dvrCameraThreadTest, TheRecordCarriesTheTimeOfTheGrabNotOfTheHandOff) {
    TableRules rules;
    settings()->setText("recordbyruleC", "slow");
    capture("..");
    ASSERT_EQ(sink.frames.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const dvrFrameRecord& record = sink.frames[i].record;
        std::int64_t taken = std::int64_t(record.seconds) * 1000 + record.milliseconds;
        EXPECT_LE(taken, rules.slowCalls[i]) << "taken before the rules ran, which sleep before the hand-off";
    }
}

} // namespace
