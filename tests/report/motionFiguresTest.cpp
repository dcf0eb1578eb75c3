// Framewise displacement of a hand-made motion file, and what the report says when a motion
// file cannot give it.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "report/motionFigures.h"
#include "tests/headless/testFiles.h"

namespace morvane {
namespace {

using testing::ScratchFolder;
using testing::writeFile;

std::string motionFile(const std::vector<std::vector<double>>& rows, int columns = 6) {
    SdmContent content;
    content.dataPoints = static_cast<int>(rows.size());
    for (int c = 0; c < columns; ++c) content.names.push_back("m" + std::to_string(c));
    content.colors.resize(static_cast<std::size_t>(columns));
    for (const auto& row : rows) content.values.insert(content.values.end(), row.begin(), row.end());
    return sdmText(content);
}

// Translations in mm, rotations in degrees; a degree is 50 mm · π/180 of arc.
const std::vector<std::vector<double>> handMade = {
    {0, 0, 0, 0, 0, 0},
    {0.1, -0.2, 0, 0, 0, 1},   // 0.3 + 50π/180
    {0.1, -0.2, 0, 0, 0, 1},   // still
    {0.1, -0.2, 0.4, 0.5, 0, 1},  // 0.4 + 25π/180
};
const double arcPerDegree = 50.0 * std::numbers::pi / 180.0;

TEST(MotionFigures, FramewiseDisplacementOfAHandMadeMotionFile) {
    ScratchFolder folder;
    writeFile(folder.file("run_3DMC.sdm"), motionFile(handMade));
    const GroupMotion motion = groupMotion(folder.file("run_3DMC.sdm"), "run_3DMC.sdm", 4, 0.5);
    ASSERT_TRUE(motion.figures);
    EXPECT_TRUE(motion.notes.empty());
    const std::vector<double> expected = {0.0, 0.3 + arcPerDegree, 0.0, 0.4 + 0.5 * arcPerDegree};
    ASSERT_EQ(motion.figures->series.size(), 4u);
    for (int t = 0; t < 4; ++t) EXPECT_NEAR(motion.figures->series[t], expected[t], 1e-5) << t;  // six digits in the file
    EXPECT_NEAR(motion.figures->mean, (expected[1] + expected[3]) / 3.0, 1e-5);
    EXPECT_NEAR(motion.figures->max, expected[1], 1e-5);
    EXPECT_EQ(motion.figures->volumesOverThreshold, 2);
}

TEST(MotionFigures, OnlyVolumesStrictlyAboveTheThresholdCount) {
    const auto figures = summariseDisplacement({0.0, 0.5, 0.25, 0.5000001, 0.0}, 0.5);
    ASSERT_TRUE(figures);
    EXPECT_EQ(figures->volumesOverThreshold, 1);
    EXPECT_DOUBLE_EQ(figures->mean, (0.5 + 0.25 + 0.5000001) / 4.0);  // volume 1 not among them
    EXPECT_DOUBLE_EQ(figures->max, 0.5000001);
}

TEST(MotionFigures, MotionFilesThatCannotGiveTheFiguresSaySo) {
    struct Case {
        const char* what;
        std::string content;  // "" for no file at all
        std::optional<int> points;
        bool figures;
        std::size_t volumes;
        const char* note;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {"shorter than the design matrix", motionFile(handMade), 10, true, 4, "holds 4 volumes, the design matrix 10"},
        {"longer than the design matrix", motionFile(handMade), 3, true, 3, nullptr},
        {"no design matrix: all volumes", motionFile(handMade), std::nullopt, true, 4, nullptr},
        {"no file", "", 4, false, 0, "cannot be read"},
        {"five columns", motionFile({{0, 0, 0, 0, 0}, {1, 1, 1, 1, 1}}, 5), 2, false, 0, "six columns"},
        {"cut short", motionFile(handMade).substr(0, 200), 4, false, 0, "cannot be read"},
        {"one volume", motionFile({{0, 0, 0, 0, 0, 0}}), 1, false, 0, "gives 1 volume(s)"},
        {"not a number", motionFile({{0, 0, 0, 0, 0, 0}, {0, nan, 0, 0, 0, 0}}), 2, false, 0, "not finite numbers"},
    };
    for (const Case& c : cases) {
        ScratchFolder folder;
        if (!c.content.empty()) writeFile(folder.file("m_3DMC.sdm"), c.content);
        const GroupMotion motion = groupMotion(folder.file("m_3DMC.sdm"), "m_3DMC.sdm", c.points, 0.5);
        EXPECT_EQ(motion.figures.has_value(), c.figures) << c.what;
        EXPECT_EQ(motion.figures ? motion.figures->series.size() : 0u, c.volumes) << c.what;
        if (c.note == nullptr) {
            EXPECT_TRUE(motion.notes.empty()) << c.what;
            continue;
        }
        ASSERT_FALSE(motion.notes.empty()) << c.what;
        EXPECT_NE(motion.notes.back().find(c.note), std::string::npos) << c.what << ": " << motion.notes.back();
        EXPECT_NE(motion.notes.back().find("m_3DMC.sdm"), std::string::npos) << c.what;
    }
}

}  // namespace
}  // namespace morvane
