#include "motion/framewiseDisplacement.h"

#include <gtest/gtest.h>

#include <cmath>

namespace morvane {
namespace {

SdmContent motionOf(const std::vector<std::array<double, 6>>& rows) {
    SdmContent content;
    content.names = {"tx", "ty", "tz", "rx", "ry", "rz"};
    content.colors.resize(6);
    content.dataPoints = static_cast<int>(rows.size());
    for (const auto& row : rows) content.values.insert(content.values.end(), row.begin(), row.end());
    return content;
}

TEST(FramewiseDisplacement, KnownStepsOfTranslationsAndRotations) {
    // A rotation of 180/pi degrees is one radian: 50 mm of arc.
    const double radian = 180.0 / 3.14159265358979323846;
    const SdmContent motion = motionOf({{0, 0, 0, 0, 0, 0},
                                        {1, -2, 0.5, 0, 0, 0},
                                        {1, -2, 0.5, radian, 0, 0},
                                        {0, 0, 0, 0, 0, -radian},
                                        {0, 0, 0, 0, 0, -radian}});
    const auto fd = framewiseDisplacement(motion, 5);
    ASSERT_TRUE(fd) << fd.error;
    const std::vector<double> expected{0.0, 3.5, 50.0, 3.5 + 50.0 + 50.0, 0.0};
    ASSERT_EQ(fd.value->size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR((*fd.value)[i], expected[i], 1e-12) << i;
}

TEST(FramewiseDisplacement, CountsOnlyTheVolumesAskedForAndThoseThereAre) {
    const SdmContent motion = motionOf({{0, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0}, {3, 0, 0, 0, 0, 0}});
    struct Case {
        int points;
        std::size_t size;
    };
    for (const Case& c : {Case{2, 2}, Case{3, 3}, Case{10, 3}, Case{0, 0}, Case{-4, 0}}) {
        const auto fd = framewiseDisplacement(motion, c.points);
        ASSERT_TRUE(fd);
        EXPECT_EQ(fd.value->size(), c.size) << c.points;
        if (c.size == 3) {
            EXPECT_DOUBLE_EQ((*fd.value)[2], 2.0);
        }
    }
}

TEST(FramewiseDisplacement, RefusesAFileWithoutSixColumns) {
    SdmContent motion = motionOf({{0, 0, 0, 0, 0, 0}});
    motion.names.resize(5);
    motion.values.resize(5);
    const auto fd = framewiseDisplacement(motion, 1);
    EXPECT_FALSE(fd);
    EXPECT_NE(fd.error.find("six columns"), std::string::npos);
}

}  // namespace
}  // namespace morvane
