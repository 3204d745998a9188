#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "dvrCapturedLog.h"
#include "dvrFileSystem.h"
#include "dvrStorageCheck.h"
#include "dvrEventually.h"
#include "dvrStorageTestSupport.h"
#include "dvrTemporaryDirectory.h"

namespace {

// A small file system of its own that fills up: tmpfs with a size limit.
class dvrSmallDisk {
public:
    explicit dvrSmallDisk(std::string path) : path_(std::move(path)) {
        ::mkdir(path_.c_str(), 0755);
        mounted_ = ::mount("tmpfs", path_.c_str(), "tmpfs", 0, "size=1536k") == 0;
    }
    ~dvrSmallDisk() {
        if (mounted_)
            ::umount2(path_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }

private:
    std::string path_;
    bool mounted_ = false;
};

TEST(dvrDiskFull, FullDiskLosesNoIndexedFrameAndRecordingComesBackWithSpace) {
    dvrTemporaryDirectory settings;
    const std::string disk = settings.file("disk");
    dvrSmallDisk small(disk);
    if (!small.mounted())
        GTEST_SKIP() << "a size-limited tmpfs cannot be mounted here (needs root or CAP_SYS_ADMIN); "
                        "the file-size-limit test covers failed writes";
    // A filler leaves room for about eight frames.
    {
        std::ofstream filler(disk + "/filler", std::ios::binary);
        std::string block(700 * 1024, 'f');
        filler << block;
    }
    settings.write("mirdal.drv", "E " + disk + "\n20\n");
    dvrFileSystem::Options options;
    options.pageFileSize = 300000;
    options.inserter.batchInterval = std::chrono::milliseconds(200);
    dvrCapturedLog log;
    std::uint32_t sent = 0;
    {
        auto store = dvrFileSystem::open(settings.file("mirdal.drv"), settings.path(), options);
        ASSERT_TRUE(store);
        auto send = [&](int count) {
            for (int i = 0; i < count; ++i, ++sent) {
                dvrTestFrame frame = makeTestFrame(100000, 1000 + sent);
                while (!store->addFrame(frame.record, frame.data.data(), frame.data.size()))
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        };
        send(12);
        ASSERT_TRUE(eventually([&] { return store->storedFrames() + store->lostFrames() == 12; }));
        EXPECT_GT(store->lostFrames(), 0u);
        EXPECT_LT(store->storedFrames(), 12u);
        const std::uint64_t storedWhileFull = store->storedFrames();
        ASSERT_EQ(::unlink((disk + "/filler").c_str()), 0);
        send(3);
        ASSERT_TRUE(eventually([&] { return store->storedFrames() + store->lostFrames() == 15; }));
        EXPECT_EQ(store->storedFrames(), storedWhileFull + 3);
    }
    auto rows = readAllRows(settings.file("drives/d/capture/index.db"));
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back().time, 1000 + sent - 1); // the last frame, after space came back
    std::ostringstream report;
    auto result = dvrStorageCheck::run(settings.path(), report);
    EXPECT_EQ(result.rows, rows.size());
    EXPECT_EQ(result.mismatches, 0u) << report.str();
    EXPECT_TRUE(log.contains("Could not write")) << log.all();
    EXPECT_TRUE(log.contains("goes on")) << log.all();
    std::string all = log.all();
    EXPECT_EQ(all.find("Could not write"), all.rfind("Could not write")) << "logged once per episode: " << all;
}

} // namespace
