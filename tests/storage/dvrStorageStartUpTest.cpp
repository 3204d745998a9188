#include <gtest/gtest.h>

#include "capture/dvrFrameSink.h"
#include "dvrCapturedLog.h"
#include "dvrDB_sqlite.h"
#include "dvrFileSystem.h"
#include "dvrStorageStartUp.h"
#include "dvrStorageTestSupport.h"
#include "dvrTemporaryDirectory.h"

namespace {

TEST(dvrStorageStartUp, DescribedStoreBecomesTheFrameSinkUntilShutDown) {
    dvrTemporaryDirectory directory;
    directory.write("mirdal.drv", "D\n2\n");
    ASSERT_TRUE(dvrStorageStartUp::startDatabase(directory.path()));
    ASSERT_NE(dvrStorageStartUp::database(), nullptr);
    ASSERT_TRUE(dvrStorageStartUp::startFileSystem(directory.path()));
    ASSERT_NE(dvrFileSystem::instance(), nullptr);
    EXPECT_EQ(dvrFrameSink::current(), dvrFileSystem::instance());
    dvrTestFrame frame = makeTestFrame(100, 7);
    EXPECT_TRUE(dvrFrameSink::current()->addFrame(frame.record, frame.data.data(), frame.data.size()));
    dvrStorageStartUp::stopFileSystem();
    dvrStorageStartUp::stopDatabase();
    EXPECT_EQ(dvrFileSystem::instance(), nullptr);
    EXPECT_EQ(dvrFrameSink::current(), nullptr);
    EXPECT_EQ(dvrStorageStartUp::database(), nullptr);
    EXPECT_EQ(readAllRows(directory.file("drives/d/capture/index.db")).size(), 1u);
}

TEST(dvrStorageStartUp, WithoutDescriptionRunsPassive) {
    dvrTemporaryDirectory directory;
    dvrCapturedLog log;
    EXPECT_FALSE(dvrStorageStartUp::startDatabase(directory.path()));
    EXPECT_FALSE(dvrStorageStartUp::startFileSystem(directory.path()));
    EXPECT_EQ(dvrFrameSink::current(), nullptr);
    EXPECT_TRUE(log.contains("No filesystem found, working in passive mode.")) << log.all();
    dvrStorageStartUp::stopFileSystem();
    dvrStorageStartUp::stopDatabase();
}

} // namespace
