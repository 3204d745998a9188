#include <gtest/gtest.h>

#include <string>

#include "dvrCameraStatistics.h"
#include "dvrCodecCode.h"
#include "dvrMotionParameters.h"
#include "dvrResolutionTable.h"

namespace {

TEST(dvrCodecCodeTest, SettingValuesAndValidCodes) {
    struct Case {
        int codec;
        const char* code;
    } cases[] = {{0, "MPG4"}, {1, "MJPG"},  {2, "MPG1"},  {3, "MPG2"}, {4, "MPG4"},
                 {5, "THEO"}, {-1, "NULL"}, {-2, "MPG4"}, {99, "MPG4"}};
    for (const Case& c : cases)
        EXPECT_EQ(dvrCodecCode::fromSetting(c.codec), c.code) << c.codec;
    for (const char* valid : {"MPG4", "NULL", "mjpg"})
        EXPECT_TRUE(dvrCodecCode::isValid(valid)) << valid;
    for (const char* invalid : {"", "MPG", "MPG44", "MP 4", "MP\n4"})
        EXPECT_FALSE(dvrCodecCode::isValid(invalid)) << invalid;
}

TEST(dvrMotionParametersTest, EachKeyIsClampedToItsOwnRange) {
    struct Case {
        const char* key;
        int value;
        int dvrMotionParameters::Values::*field;
        int stored;
    } cases[] = {
        {"mot_sens1", 0, &dvrMotionParameters::Values::sensitivityA, 1},
        {"MOT_SENS1", 20, &dvrMotionParameters::Values::sensitivityA, 16},
        {"mot_sens2", 33, &dvrMotionParameters::Values::sensitivityB, 32},
        {"mot_edge", 2, &dvrMotionParameters::Values::noiseFilter, 3},
        {"mot_edge", 8, &dvrMotionParameters::Values::noiseFilter, 7},
        {"mot_tol", 64, &dvrMotionParameters::Values::tolerance, 64},
        {"mot_tol", -100, &dvrMotionParameters::Values::tolerance, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + std::to_string(c.value));
        dvrMotionParameters parameters;
        EXPECT_TRUE(parameters.set(c.key, c.value));
        dvrMotionParameters::Values values = parameters.values();
        EXPECT_EQ(values.*c.field, c.stored);
        // The other three keep their defaults.
        dvrMotionParameters::Values defaults;
        int changed = (values.sensitivityA != defaults.sensitivityA) +
                      (values.sensitivityB != defaults.sensitivityB) +
                      (values.noiseFilter != defaults.noiseFilter) + (values.tolerance != defaults.tolerance);
        EXPECT_LE(changed, 1);
    }
    dvrMotionParameters parameters;
    EXPECT_FALSE(parameters.set("framerate", 5));
}

TEST(dvrResolutionTableTest, HoldsSixteenSensibleSizes) {
    dvrResolutionTable table;
    EXPECT_FALSE(table.add(0, 288));
    EXPECT_FALSE(table.add(352, -1));
    EXPECT_FALSE(table.add(dvrResolutionTable::maximumSide + 1, 288));
    for (int entry = 0; entry < dvrResolutionTable::maximumEntries; ++entry)
        EXPECT_TRUE(table.add(16 * (entry + 1), 16));
    EXPECT_FALSE(table.add(704, 576));
    EXPECT_EQ(table.count(), 16);
    EXPECT_EQ(table.at(15)->width, 256);
    EXPECT_FALSE(table.at(16));
    EXPECT_FALSE(table.at(-1));
}

TEST(dvrCameraStatisticsTest, AverageSizeMovesATwentiethTowardsEachFrame) {
    dvrCameraStatistics statistics;
    statistics.addCompressedSize(2000);
    EXPECT_EQ(statistics.lastCompressedSize(), 2000);
    EXPECT_EQ(statistics.averageCompressedSize(), 100);
    statistics.addCompressedSize(100);
    EXPECT_EQ(statistics.averageCompressedSize(), (100 + 19 * 100) / 20);
    statistics.addCompressedSize(-5);
    EXPECT_EQ(statistics.lastCompressedSize(), 0);
    // A huge frame must not overflow the average.
    statistics.addCompressedSize(2000000000);
    EXPECT_GT(statistics.averageCompressedSize(), 0);

    EXPECT_EQ(statistics.recordedPercent(), 0); // nothing grabbed yet
    for (int frame = 0; frame < 3; ++frame)
        statistics.countGrabbed();
    statistics.countRecorded();
    EXPECT_EQ(statistics.recordedPercent(), 33);
    statistics.setMeasuredFramerate(12.5f);
    EXPECT_FLOAT_EQ(statistics.measuredFramerate(), 12.5f);
    statistics.setMeasuredFramerate(-1.0f);
    EXPECT_FLOAT_EQ(statistics.measuredFramerate(), 0.0f);
    statistics.setLastMotion(17);
    EXPECT_EQ(statistics.lastMotion(), 17);
    statistics.clear();
    EXPECT_EQ(statistics.framesGrabbed(), 0);
    EXPECT_EQ(statistics.averageCompressedSize(), 0);
}

} // namespace
