#include <gtest/gtest.h>

#include <optional>

#include "application/dvrSingleInstanceCheck.h"
#include "dvrCapturedLog.h"
#include "dvrTemporaryDirectory.h"

namespace {

TEST(dvrSingleInstanceCheckTest, ASecondInstanceOfTheSameUserIsRefusedUntilTheFirstEnds) {
    dvrTemporaryDirectory directory;
    std::optional<dvrSingleInstanceCheck> first(std::in_place, directory.path());
    EXPECT_FALSE(first->isAnotherRunning());
    EXPECT_EQ(first->lockPath(), directory.path() + "/DVR-" + dvrSingleInstanceCheck::loginName());
    {
        dvrSingleInstanceCheck second(directory.path());
        EXPECT_TRUE(second.isAnotherRunning());
    }
    first.reset();
    dvrSingleInstanceCheck third(directory.path());
    EXPECT_FALSE(third.isAnotherRunning());
}

TEST(dvrSingleInstanceCheckTest, AnUnusableLockDirectoryIsReportedAndDoesNotRefuse) {
    dvrCapturedLog log;
    dvrSingleInstanceCheck check("/nonexistent/directory");
    EXPECT_FALSE(check.isAnotherRunning());
    EXPECT_TRUE(log.contains("instance lock"));
}

} // namespace
