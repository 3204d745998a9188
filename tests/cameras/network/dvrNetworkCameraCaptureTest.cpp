#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "capture/dvrFrameRecord.h"
#include "dvrEventually.h"
#include "capture/dvrFrameSink.h"
#include "console/dvrCommand.h"
#include "dvrCapturedLog.h"
#include "dvrTestHttpServer.h"
#include "dvrTestJpeg.h"
#include "image/dvrImage.h"
#include "network/dvrBoard_http.h"
#include "network/dvrCamera_network.h"
#include "settings/dvrSettingSet.h"

namespace {

using namespace std::chrono_literals;

// Keeps the records of the frames the capture threads hand over.
class CollectingSink : public dvrFrameSink {
public:
    CollectingSink() { install(this); }
    ~CollectingSink() override { remove(this); }

    bool addFrame(const dvrFrameRecord& record, const std::uint8_t*, std::size_t) override {
        {
            std::lock_guard<std::mutex> guard(lock_);
            records_.push_back(record);
        }
        changed_.notify_all();
        return true;
    }

    std::size_t count() const {
        std::lock_guard<std::mutex> guard(lock_);
        return records_.size();
    }
    std::vector<dvrFrameRecord> records() const {
        std::lock_guard<std::mutex> guard(lock_);
        return records_;
    }
    bool waitForCount(std::size_t count) const {
        std::unique_lock<std::mutex> guard(lock_);
        return changed_.wait_for(guard, 20s, [&] { return records_.size() >= count; });
    }

private:
    mutable std::mutex lock_;
    mutable std::condition_variable changed_;
    std::vector<dvrFrameRecord> records_;
};

// One network camera recording through its capture thread from the test server, with moving
// pictures so that every frame has motion and is recorded.
class dvrNetworkCameraCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(board.open());
        board.getSettings()->setInt("ID", 17);
        ASSERT_TRUE(camera.attach(3));
        camera.setName("Yard");
        dvrSettingSet* s = camera.getSettings();
        s->setInt("ctype", 600000);
        s->setText("host", "127.0.0.1");
        s->setText("port", std::to_string(server.port()));
        s->setInt("enable", 1);
        camera.applySet(dvrCommand::parse("set camera Yard framerate int 25"));
        camera.applySet(dvrCommand::parse("set camera Yard codec int 1"));
        camera.setFetchTimeouts(1000ms, 300ms);
        server.setFrames(moving(320, 240));
    }
    void TearDown() override { camera.stop(); }

    static std::vector<std::vector<std::uint8_t>> moving(int width, int height) {
        std::vector<std::vector<std::uint8_t>> frames;
        for (int frame = 0; frame < 4; ++frame)
            frames.push_back(dvrTestJpeg::make(width, height, frame));
        return frames;
    }

    // What the core's refresh does for a camera marked "restartnow".
    void refresh() {
        if (camera.getSettings()->getInt("restartnow") != 1)
            return;
        camera.stop();
        camera.init();
        camera.start();
        camera.getSettings()->setInt("restartnow", 0);
    }

    dvrCapturedLog log;
    dvrTestHttpServer server;
    CollectingSink sink;
    dvrBoard_http board;
    dvrCamera_network camera{&board};
};

TEST_F(dvrNetworkCameraCaptureTest, PicturesAreRecordedThroughTheCaptureThread) {
    ASSERT_TRUE(camera.init());
    camera.start();
    ASSERT_TRUE(sink.waitForCount(5)) << log.all();
    camera.stop();
    for (const dvrFrameRecord& record : sink.records()) {
        EXPECT_EQ(record.width, 320u);
        EXPECT_EQ(record.height, 240u);
        EXPECT_EQ(record.boardId, 17u);
        EXPECT_EQ(record.input, 3u);
        EXPECT_EQ(record.code, dvrFrameRecord::codeOf("MJPG"));
        EXPECT_GT(record.compressedSize, 0u);
    }
    EXPECT_EQ(camera.failedGrabs(), 0);
    EXPECT_EQ(camera.getStatus(), dvrCamera::imagesArriving);
    EXPECT_EQ(camera.getSettings()->getText("path"),
              "http://127.0.0.1:" + std::to_string(server.port()) + "/oneshotimage.jpg");
}

TEST_F(dvrNetworkCameraCaptureTest, HighAgainstACifCameraRestartsOnceAndThenFits) {
    server.setFrames(moving(352, 288));
    camera.applySet(dvrCommand::parse("set camera Yard resolution int 1"));
    ASSERT_TRUE(camera.init());
    camera.start();
    ASSERT_TRUE(eventually([&] { return camera.getSettings()->getInt("restartnow") == 1; }));
    EXPECT_EQ(sink.count(), 0u) << "nothing of the wrong size is recorded";
    refresh();
    ASSERT_TRUE(sink.waitForCount(5)) << log.all();
    camera.stop();
    for (const dvrFrameRecord& record : sink.records()) {
        EXPECT_EQ(record.width, 352u);
        EXPECT_EQ(record.height, 288u);
    }
    EXPECT_EQ(camera.sizeRestarts(), 1);
    EXPECT_EQ(camera.getSettings()->getInt("restartnow"), 0);
    EXPECT_EQ(camera.getSettings()->getInt("force_size"), 1);
    EXPECT_EQ(camera.failedGrabs(), 0);
    EXPECT_TRUE(log.contains("sends 352 x 288 pictures"));
}

struct FaultCase {
    const char* name;
    dvrTestHttpServer::Mode mode;
};

class dvrNetworkCameraCaptureFaults : public dvrNetworkCameraCaptureTest,
                                      public ::testing::WithParamInterface<FaultCase> {};

TEST_P(dvrNetworkCameraCaptureFaults, RecordNothingAndRecover) {
    ASSERT_TRUE(camera.init());
    camera.start();
    ASSERT_TRUE(sink.waitForCount(3)) << log.all();
    server.setMode(GetParam().mode);
    // Once one attempt has failed, every later one does until the server recovers.
    ASSERT_TRUE(eventually([&] { return camera.failedGrabs() >= 1; }));
    std::size_t recorded = sink.count();
    std::int64_t grabbed = camera.statistics().framesGrabbed();
    ASSERT_TRUE(eventually([&] { return camera.failedGrabs() >= 4; }));
    EXPECT_EQ(sink.count(), recorded) << "the old picture is not recorded again";
    EXPECT_EQ(camera.statistics().framesGrabbed(), grabbed);
    EXPECT_EQ(camera.getStatus(), dvrCamera::noConnection);

    server.setMode(dvrTestHttpServer::Mode::pictures);
    ASSERT_TRUE(sink.waitForCount(recorded + 3));
    EXPECT_EQ(camera.getStatus(), dvrCamera::imagesArriving);
    EXPECT_TRUE(log.contains("pictures arrive again"));
}

const FaultCase captureFaults[] = {
    {"stall", dvrTestHttpServer::Mode::stall},
    {"empty_body", dvrTestHttpServer::Mode::emptyBody},
    {"not_found_page", dvrTestHttpServer::Mode::notFoundPage},
    {"truncated_jpeg", dvrTestHttpServer::Mode::truncatedJpeg},
};

INSTANTIATE_TEST_SUITE_P(Faults, dvrNetworkCameraCaptureFaults, ::testing::ValuesIn(captureFaults),
                         [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST_F(dvrNetworkCameraCaptureTest, AStalledCameraHoldsNoLockAndStopsAtOnce) {
    // The program's own time-outs: only the stop can end this fetch early.
    camera.setFetchTimeouts(std::chrono::milliseconds(dvrHttpClient::connectTimeout),
                            std::chrono::milliseconds(dvrHttpClient::totalTimeout));
    server.setMode(dvrTestHttpServer::Mode::stall);
    dvrTestHttpServer other;
    other.setFrames(moving(320, 240));
    dvrCamera_network second(&board);
    ASSERT_TRUE(second.attach(4));
    second.setName("Door");
    second.getSettings()->setInt("ctype", 600000);
    second.getSettings()->setText("host", "127.0.0.1");
    second.getSettings()->setText("port", std::to_string(other.port()));
    second.getSettings()->setInt("enable", 1);
    second.applySet(dvrCommand::parse("set camera Door framerate int 25"));
    second.applySet(dvrCommand::parse("set camera Door codec int 1"));
    ASSERT_TRUE(camera.init());
    ASSERT_TRUE(second.init());
    camera.start();
    second.start();
    ASSERT_TRUE(server.waitForStall());
    {
        // Settings, the panel and the network server can reach the camera while it waits.
        std::unique_lock<std::recursive_mutex> codec(camera.codecLock(), std::try_to_lock);
        std::unique_lock<std::recursive_mutex> image(camera.imageLock(), std::try_to_lock);
        EXPECT_TRUE(codec.owns_lock());
        EXPECT_TRUE(image.owns_lock());
    }
    // The other camera records meanwhile.
    ASSERT_TRUE(sink.waitForCount(3));
    camera.stop();
    EXPECT_FALSE(camera.isStarted());
    second.stop();
    EXPECT_EQ(camera.statistics().framesGrabbed(), 0);
}

} // namespace
