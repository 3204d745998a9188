#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "dvrDriveTable.h"
#include "dvrRecordReader.h"
#include "dvrRecorderProcess.h"
#include "dvrStorageTestSupport.h"
#include "dvrTemporaryDirectory.h"

// The headless recorder recording the demo configuration (the simulated capture card) into its
// working directory, judged by mirdal-storage, the sqlite3 command and the ffmpeg command.
namespace {

bool waitFor(const std::function<bool()>& condition, std::chrono::seconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
}

// The output of a shell command and its exit status.
std::pair<int, std::string> runCommand(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return {-1, ""};
    char buffer[4096];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0 && output.size() < (1 << 20))
        output.append(buffer, count);
    int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// The headless recorder on the test's directory.
class Recorder {
public:
    explicit Recorder(const dvrTemporaryDirectory& directory)
        : process_(MIRDAL_PROGRAM, directory.path(), {"--headless", "--no-watchdog"}) {}
    void kill() { process_.kill(); }
    // Sends "quit" and waits for the orderly end; its exit status, -1 when it did not end.
    int quit() {
        process_.send("quit\n");
        int status = process_.waitForEnd(std::chrono::seconds(60));
        return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    dvrRecorderProcess process_;
};

class dvrRecorderStorageTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The demo configuration: a simulated card whose cameras see moving objects.
        const std::string settings = readFile(std::string(MIRDAL_DEMO_DIRECTORY) + "/settings.mrd");
        ASSERT_NE(settings.find("addcard"), std::string::npos) << "the demo configuration records from no card";
        directory.write("settings.mrd", settings);
        directory.write("mirdal.drv", readFile(std::string(MIRDAL_DEMO_DIRECTORY) + "/mirdal.drv"));
    }

    std::string indexPath() const { return directory.file("drives/d/capture/index.db"); }
    std::string log() const { return readFile(directory.file("mirdal.log")); }
    std::size_t rowCount() const {
        auto [status, output] = runCommand("sqlite3 '" + indexPath() + "' 'SELECT count(*) FROM Datum'");
        return status == 0 ? std::strtoul(output.c_str(), nullptr, 10) : 0;
    }

    dvrTemporaryDirectory directory;
};

TEST_F(dvrRecorderStorageTest, KilledAtRandomMomentsLeavesNoRowWithoutItsRecord) {
    std::random_device device;
    const unsigned seed = device();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> moment(500, 4000);
    for (int round = 0; round < 6; ++round) {
        {
            std::ofstream(directory.file("mirdal.log"), std::ios::trunc);
            Recorder recorder(directory);
            ASSERT_TRUE(waitFor([&] { return log().find("Ready.") != std::string::npos; }, std::chrono::seconds(60)))
                << log();
            std::this_thread::sleep_for(std::chrono::milliseconds(moment(random)));
            recorder.kill();
        }
        auto [status, report] = runCommand(std::string(MIRDAL_STORAGE_PROGRAM) + " check '" + directory.path() + "'");
        EXPECT_EQ(status, 0) << "round " << round << ", seed " << seed << ":\n" << report;
    }
    // A last run that ends in order: every frame it took is indexed.
    {
        Recorder recorder(directory);
        ASSERT_TRUE(waitFor([&] { return log().find("Ready.") != std::string::npos; }, std::chrono::seconds(60)));
        std::this_thread::sleep_for(std::chrono::seconds(2));
        EXPECT_EQ(recorder.quit(), 0);
    }
    auto [status, report] = runCommand(std::string(MIRDAL_STORAGE_PROGRAM) + " check '" + directory.path() + "'");
    EXPECT_EQ(status, 0) << "seed " << seed << ":\n" << report;
    auto [integrityStatus, integrity] = runCommand("sqlite3 '" + indexPath() + "' 'PRAGMA integrity_check'");
    EXPECT_EQ(integrityStatus, 0);
    EXPECT_EQ(integrity, "ok\n");
    EXPECT_GT(rowCount(), 0u) << log();
}

TEST_F(dvrRecorderStorageTest, RecordedFramesReadBackByIndexRowDecodeWithFfmpeg) {
    {
        Recorder recorder(directory);
        ASSERT_TRUE(waitFor([&] { return log().find("Ready.") != std::string::npos; }, std::chrono::seconds(60)))
            << log();
        ASSERT_TRUE(waitFor([&] { return rowCount() >= 40; }, std::chrono::seconds(60))) << log();
        EXPECT_EQ(recorder.quit(), 0);
    }
    dvrDriveTable table;
    ASSERT_TRUE(table.load(directory.file("mirdal.drv"), directory.path()));
    dvrRecordReader reader(table.drives());
    // Each camera's frames in recording order, from its first key frame, as one raw stream.
    std::map<std::pair<int, int>, std::vector<dvrIndexRow>> cameras;
    for (const dvrIndexRow& row : readAllRows(indexPath()))
        cameras[{row.device, row.input}].push_back(row);
    ASSERT_FALSE(cameras.empty());
    const std::map<std::string, std::string> demuxers = {
        {"MPG4", "m4v"}, {"MJPG", "mjpeg"}, {"MPG1", "mpegvideo"}, {"MPG2", "mpegvideo"}};
    int decodedCameras = 0;
    for (const auto& [camera, rows] : cameras) {
        auto demuxer = demuxers.find(rows.front().codec);
        if (demuxer == demuxers.end())
            continue;
        const std::string stream = directory.file("camera" + std::to_string(camera.first) + "_" +
                                                  std::to_string(camera.second) + ".raw");
        std::ofstream out(stream, std::ios::binary);
        std::size_t frames = 0;
        bool keyFrameSeen = false;
        for (const dvrIndexRow& row : rows) {
            keyFrameSeen = keyFrameSeen || (row.flags & 1);
            if (!keyFrameSeen)
                continue;
            std::vector<std::uint8_t> data;
            ASSERT_TRUE(reader.readLogged(row, data)) << row.key;
            out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
            ++frames;
        }
        out.close();
        ASSERT_GT(frames, 0u);
        auto [status, output] = runCommand("ffmpeg -nostdin -v error -f " + demuxer->second + " -i '" + stream +
                                           "' -f framecrc -");
        EXPECT_EQ(status, 0) << output;
        std::size_t decoded = 0;
        for (std::size_t at = output.find("\n0,"); at != std::string::npos; at = output.find("\n0,", at + 1))
            ++decoded;
        EXPECT_GE(decoded + 1, frames) << output.substr(0, 2000);
        ++decodedCameras;
    }
    EXPECT_GT(decodedCameras, 0);
}

} // namespace
