// The z-transform: population variance, two passes in place; columns that do not vary become
// 0.0 with a line naming the file and the column instead of NaN or rounding noise.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "confounds/zTransform.h"
#include "logCapture.h"

namespace {

using ::testing::DoubleNear;
using ::testing::ElementsAre;
using ::testing::Each;

// The transform as stated: sums in index order, population variance.
std::vector<double> reference(std::vector<double> values) {
    double sum = 0.0;
    for (double v : values) sum += v;
    const double mean = sum / static_cast<double>(values.size());
    double squares = 0.0;
    for (double v : values) squares += (v - mean) * (v - mean);
    const double deviation = std::sqrt(squares / static_cast<double>(values.size()));
    for (double& v : values) v = (v - mean) / deviation;
    return values;
}

TEST(ZTransformColumn, usesThePopulationVariance) {
    std::vector<double> values = {1, 2, 3, 4};
    EXPECT_TRUE(zTransformColumn(values.data(), 4));
    EXPECT_THAT(values, ElementsAre(DoubleNear(-1.3416407865, 1e-9), DoubleNear(-0.4472135955, 1e-9),
                                    DoubleNear(0.4472135955, 1e-9), DoubleNear(1.3416407865, 1e-9)));
}

TEST(ZTransformColumn, transformsOrdinaryColumnsExactlyAsStated) {
    const std::vector<std::vector<double>> columns = {
        {0.0, 0.0310625, -0.000387509, 0.12, -1.5e-05},
        {60.5, 61.5, 62.5, 63.5, 64.5, 65.5, 66.5},
        {-3.0, 3.0},
        {0.1, 0.1, 0.1, 0.1000001},
        {1e6, 1e6 + 1, 1e6 + 3},
    };
    for (const auto& column : columns) {
        std::vector<double> values = column;
        EXPECT_TRUE(zTransformColumn(values.data(), static_cast<std::int32_t>(values.size())));
        EXPECT_EQ(values, reference(column));  // bit for bit
    }
}

TEST(ZTransformColumn, transformsOnlyTheFirstCountValues) {
    std::vector<double> values = {1, 2, 3, 4, 99};
    zTransformColumn(values.data(), 4);
    EXPECT_EQ(values[4], 99.0);
    EXPECT_NEAR(values[3], 1.3416407865, 1e-9);
}

TEST(ZTransformColumn, setsColumnsThatDoNotVaryToZero) {
    const std::vector<std::vector<double>> columns = {
        {0.0, 0.0, 0.0},                                           // 0 / 0
        {7.25},                                                    // one value
        {0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1},        // the mean carries rounding residue
        {1.0, 1.0 + 2.220446049250313e-16, 1.0},                   // differs in the last bit only
        {1e308, 1e308, -1e308},                                    // the variance overflows
        {-2.5, -2.5},
        {1e-300, 2e-300},                                          // the squares underflow to 0
    };
    for (const auto& column : columns) {
        std::vector<double> values = column;
        EXPECT_FALSE(zTransformColumn(values.data(), static_cast<std::int32_t>(values.size())));
        EXPECT_THAT(values, Each(0.0));
        for (double v : values) EXPECT_FALSE(std::signbit(v));
    }
}

TEST(ZTransformColumn, leavesAnEmptyColumnAlone) {
    std::vector<double> values = {5.0};
    EXPECT_TRUE(zTransformColumn(values.data(), 0));
    EXPECT_TRUE(zTransformColumn(values.data(), -3));
    EXPECT_EQ(values[0], 5.0);
}

TEST(ZTransformRecords, transformEveryColumnAndNameTheOnesThatDoNotVary) {
    LogCapture log;
    ConfoundRecord motion;
    motion.kind = ConfoundKind::Motion;
    motion.path = "D:\\s\\run1_3DMC.sdm";
    motion.dataPointCount = 4;
    for (std::size_t c = 0; c < 6; ++c) motion.motionColumns[c] = {1, 2, 3, 4};
    motion.motionColumns[5] = {0, 0, 0, 0};
    zTransformMotion(motion);
    EXPECT_TRUE(motion.zTransformed);
    EXPECT_NEAR(motion.motionColumns[0][0], -1.3416407865, 1e-9);
    EXPECT_NEAR(motion.motionColumns[4][3], 1.3416407865, 1e-9);
    EXPECT_THAT(motion.motionColumns[5], Each(0.0));

    ConfoundRecord heart;
    heart.kind = ConfoundKind::HeartRate;
    heart.path = "hr.rtc";
    heart.predictorCount = 2;
    heart.dataPointCount = 3;
    heart.columns = {{0.1, 0.1, 0.1}, {1, 2, 3}};
    zTransformConfounds(heart);
    EXPECT_TRUE(heart.zTransformed);
    EXPECT_THAT(heart.columns[0], Each(0.0));
    EXPECT_NEAR(heart.columns[1][2], 1.2247448714, 1e-9);

    EXPECT_THAT(log.lines,
                ElementsAre("Column 6 of D:\\s\\run1_3DMC.sdm does not vary: its z-transformed values are set to 0.0.",
                            "Column 1 of hr.rtc does not vary: its z-transformed values are set to 0.0."));
}

TEST(ZTransformRecords, markRecordsWithoutDataAndTouchNoMissingArray) {
    LogCapture log;
    // What a reader leaves after an open failure, and after abandoning with header counts.
    ConfoundRecord emptyMotion;
    zTransformMotion(emptyMotion);
    EXPECT_TRUE(emptyMotion.zTransformed);

    ConfoundRecord abandoned;
    abandoned.kind = ConfoundKind::Respiration;
    abandoned.readOk = false;
    abandoned.predictorCount = 3;
    abandoned.dataPointCount = 500;
    zTransformConfounds(abandoned);
    EXPECT_TRUE(abandoned.zTransformed);

    ConfoundRecord abandonedMotion;
    abandonedMotion.readOk = false;
    abandonedMotion.dataPointCount = 500;
    zTransformMotion(abandonedMotion);
    EXPECT_TRUE(log.lines.empty());
}

}  // namespace
