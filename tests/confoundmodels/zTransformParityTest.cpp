// morvane's z-transform of model terms against the plugin's own, value for value, and
// against the textbook formula.
#include "confoundmodels/zTransform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "confounds/confoundRecord.h"
#include "confounds/zTransform.h"
#include "host/hostFunctionTable.h"

namespace morvane {
namespace {

std::vector<std::string> pluginLog;

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::vector<std::vector<double>> columnsToCompare() {
    std::vector<std::vector<double>> columns = {
        {1, 2, 3, 4},
        {0.0},
        {5.0},
        {0, 0, 0, 0},
        std::vector<double>(10, 0.1),  // a constant whose computed mean misses it in the last bit
        {1e300, -1e300, 1e300},       // squares overflow: no finite spread
        {1e-310, 2e-310, 3e-310},     // subnormal values
        {0, 0, 0, 1e-9},
        {3.0, 3.0 + 1e-13},           // a spread negligible against the values
        {-2.5, 7.25, 0.0, 0.0, 1.0},
    };
    std::mt19937 random(13);
    std::normal_distribution<double> noise(0.3, 2.0);
    std::uniform_int_distribution<int> length(1, 300);
    for (int i = 0; i < 200; ++i) {
        std::vector<double> column(static_cast<std::size_t>(length(random)));
        for (double& value : column) value = noise(random) * std::pow(10.0, i % 9 - 4);
        if (i % 7 == 0) column[column.size() / 2] = 1e6;  // a spike
        columns.push_back(std::move(column));
    }
    return columns;
}

TEST(ZTransformParity, EveryColumnAsThePluginTransformsIt) {
    for (const std::vector<double>& column : columnsToCompare()) {
        std::vector<double> ours = column;
        std::vector<double> plugins = column;
        const bool variesHere = zTransformValues(ours);
        const bool variesThere = zTransformColumn(plugins.data(), static_cast<std::int32_t>(plugins.size()));
        EXPECT_EQ(variesHere, variesThere) << column.size() << " values from " << column[0];
        for (std::size_t i = 0; i < column.size(); ++i)
            ASSERT_TRUE(sameBits(ours[i], plugins[i])) << i << ": " << ours[i] << " vs " << plugins[i];
    }
}

TEST(ZTransformParity, MeanAndPopulationDeviation) {
    std::vector<double> column = {1, 2, 3, 4};
    ASSERT_TRUE(zTransformValues(column));
    const double deviation = std::sqrt(1.25);  // divisor N, not N - 1
    const double expected[] = {-1.5 / deviation, -0.5 / deviation, 0.5 / deviation, 1.5 / deviation};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(column[i], expected[i], 1e-15);
}

TEST(ZTransformParity, ColumnsWithoutVarianceBecomeZeroWithThePluginsLogLine) {
    for (std::vector<double> column : {std::vector<double>{7.0}, std::vector<double>(5, -0.3)}) {
        EXPECT_FALSE(zTransformValues(column));
        for (double value : column) EXPECT_EQ(value, 0.0);
    }
    std::vector<double> empty;
    EXPECT_TRUE(zTransformValues(empty));

    // The plugin's line for its third motion column, which does not vary.
    ConfoundRecord record;
    record.path = "run1_3DMC.sdm";
    record.dataPointCount = 3;
    for (int c = 0; c < motionColumnCount; ++c) record.motionColumns[static_cast<std::size_t>(c)] = {0.0, 1.0 + c, 2.0};
    record.motionColumns[2] = {4.0, 4.0, 4.0};
    pluginLog.clear();
    hostFunctions.zrLogText = [](const char* text) { pluginLog.emplace_back(text); };
    zTransformMotion(record);
    hostFunctions.zrLogText = nullptr;
    ASSERT_EQ(pluginLog.size(), 1u);
    EXPECT_EQ(constantColumnLine(3, "run1_3DMC.sdm"), pluginLog[0]);
}

}  // namespace
}  // namespace morvane
