// A design matrix extended by a model: order of the columns, the constant last, counts, the
// z-transform over the whole motion file, spikes, and the refusals.
#include "confoundmodels/confoundModel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "confoundmodels/spikeColumns.h"
#include "tests/confoundmodels/modelTestFiles.h"

namespace morvane {
namespace {

using testing::columnNamed;
using testing::designMatrixOf;
using testing::motionNames;
using testing::motionOf;

// Eight points of motion; the design matrix of a test may use fewer. Steps of volume 3 and 6
// are large: volume 3 moves 0.4 mm in X, volume 6 rotates 1 degree about Z (0.8727 mm of arc).
SdmContent eightPoints() {
    return motionOf({{0, 0, 0, 0, 0, 0},
                     {0.01, 0, 0, 0, 0, 0},
                     {0.41, 0, 0, 0, 0, 0},
                     {0.41, 0.02, 0, 0, 0, 0},
                     {0.41, 0.02, 0, 0, 0, 0.05},
                     {0.41, 0.02, 0, 0, 0, 1.05},
                     {0.40, 0.02, 0, 0, 0, 1.05},
                     {0.40, 0.03, 0.01, 0.01, 0, 1.05}});
}

// The textbook z-score of the values, over all of them.
std::vector<double> zScores(const std::vector<double>& values) {
    double mean = 0.0;
    for (double v : values) mean += v / static_cast<double>(values.size());
    double variance = 0.0;
    for (double v : values) variance += (v - mean) * (v - mean) / static_cast<double>(values.size());
    std::vector<double> z;
    for (double v : values) z.push_back((v - mean) / std::sqrt(variance));
    return z;
}

ConfoundModelRequest requestFor(int model, std::optional<std::string> threshold = std::nullopt, bool z = false) {
    ConfoundModelRequest request;
    request.choice.motionModel = model;
    if (threshold) {
        request.choice.spikeThresholdText = *threshold;
        request.choice.spikeThresholdMm = std::stod(*threshold);
    }
    request.zTransform = z;
    return request;
}

TEST(ConfoundModel, ColumnsInOrderWithTheConstantLast) {
    const SdmContent matrix = designMatrixOf(8, 2);
    const auto model = buildConfoundModel(matrix, eightPoints(), requestFor(24, "0.3"), "out.sdm");
    ASSERT_TRUE(model) << model.error;
    const SdmContent& out = model.value->content;
    ASSERT_EQ(out.predictorCount(), 2 + 18 + 2 + 1);
    EXPECT_EQ(out.names[0], "Task 1");
    EXPECT_EQ(out.names[1], "Task 2");
    EXPECT_EQ(out.names[2], motionNames[0] + " derivative");
    EXPECT_EQ(out.names[8], motionNames[0] + " squared");
    EXPECT_EQ(out.names[19], motionNames[5] + " derivative squared");
    EXPECT_EQ(out.names[20], "Spike 3");
    EXPECT_EQ(out.names[21], "Spike 6");
    EXPECT_EQ(out.names[22], "Constant");
    EXPECT_EQ(out.colors.size(), out.names.size());
    EXPECT_EQ(out.colors.back(), (Rgb{255, 255, 255}));
    EXPECT_EQ(out.includesConstant, 1);
    EXPECT_EQ(out.firstConfoundPredictor, 3);
    EXPECT_EQ(out.dataPoints, 8);
    EXPECT_EQ(model.value->motionTerms, 18);
    EXPECT_EQ(model.value->spikeColumns, 2);
    EXPECT_EQ(addedColumnsText(*model.value), "18 motion terms, 2 spike columns added");
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(out.value(row, 0), row + 10.0);
        EXPECT_EQ(out.value(row, 1), row + 20.0);
        EXPECT_EQ(out.value(row, 22), 1.0);
        EXPECT_EQ(out.value(row, 20), row == 2 ? 1.0 : 0.0);
        EXPECT_EQ(out.value(row, 21), row == 5 ? 1.0 : 0.0);
    }
    // Rotation Z's derivative at volume 6, as read (no z-transform asked).
    EXPECT_NEAR(columnNamed(out, motionNames[5] + " derivative")[5], 1.0, 1e-12);
    EXPECT_TRUE(model.value->warnings.empty());
}

TEST(ConfoundModel, WithoutAConstantTheAddedColumnsComeLast) {
    const SdmContent matrix = designMatrixOf(8, 3, false);
    const auto model = buildConfoundModel(matrix, eightPoints(), requestFor(12), "out.sdm");
    ASSERT_TRUE(model) << model.error;
    EXPECT_EQ(model.value->content.predictorCount(), 3 + 6);
    EXPECT_EQ(model.value->content.names.back(), motionNames[5] + " derivative");
    EXPECT_EQ(model.value->content.includesConstant, 0);
}

TEST(ConfoundModel, TermsAreZTransformedOverTheWholeMotionFileThenCut) {
    const SdmContent matrix = designMatrixOf(5, 1);  // five of the eight points
    const SdmContent motion = eightPoints();
    const auto model = buildConfoundModel(matrix, motion, requestFor(24, "0.3", true), "out.sdm");
    ASSERT_TRUE(model) << model.error;
    const SdmContent& out = model.value->content;
    EXPECT_EQ(out.dataPoints, 5);

    std::vector<double> x, dx, x2, dx2;
    for (int t = 0; t < 8; ++t) {
        const double value = motion.value(t, 0);
        const double change = t == 0 ? 0.0 : value - motion.value(t - 1, 0);
        x.push_back(value);
        dx.push_back(change);
        x2.push_back(value * value);
        dx2.push_back(change * change);
    }
    const std::pair<std::string, std::vector<double>> expected[] = {
        {motionNames[0] + " derivative", zScores(dx)},
        {motionNames[0] + " squared", zScores(x2)},
        {motionNames[0] + " derivative squared", zScores(dx2)},
    };
    for (const auto& [name, z] : expected) {
        const std::vector<double> written = columnNamed(out, name);
        ASSERT_EQ(written.size(), 5u) << name;
        for (std::size_t t = 0; t < 5; ++t) EXPECT_NEAR(written[t], z[t], 1e-12) << name << " " << t;
    }
    // Spikes are never transformed, and only volumes of the design matrix are flagged.
    EXPECT_EQ(columnNamed(out, "Spike 3"), (std::vector<double>{0, 0, 1, 0, 0}));
    EXPECT_TRUE(columnNamed(out, "Spike 6").empty());
}

TEST(ConfoundModel, ColumnsWithoutVarianceAreZeroAndLoggedWithTheirPlaceInTheNewFile) {
    const SdmContent matrix = designMatrixOf(8, 2);
    // Rotation Y never moves: its derivative, square and squared derivative do not vary.
    const auto model = buildConfoundModel(matrix, eightPoints(), requestFor(24, std::nullopt, true), "m_24P.sdm");
    ASSERT_TRUE(model) << model.error;
    const std::vector<std::string> expectedLines = {
        "Column 7 of m_24P.sdm does not vary: its z-transformed values are set to 0.0.",
        "Column 13 of m_24P.sdm does not vary: its z-transformed values are set to 0.0.",
        "Column 19 of m_24P.sdm does not vary: its z-transformed values are set to 0.0.",
    };
    EXPECT_EQ(model.value->logLines, expectedLines);
    EXPECT_EQ(model.value->content.names[6], motionNames[4] + " derivative");
    for (const double value : columnNamed(model.value->content, motionNames[4] + " squared")) EXPECT_EQ(value, 0.0);
}

TEST(ConfoundModel, ExtraColumnsComeBetweenMotionTermsAndSpikes) {
    ConfoundModelRequest request = requestFor(12, "0.3", true);
    request.withMotionParameters = true;
    request.extraColumns.push_back({"csf", Rgb{1, 2, 3}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}});
    const auto model = buildConfoundModel(designMatrixOf(8, 1), eightPoints(), request, "out.sdm");
    ASSERT_TRUE(model) << model.error;
    const SdmContent& out = model.value->content;
    ASSERT_EQ(out.predictorCount(), 1 + 12 + 1 + 2 + 1);
    EXPECT_EQ(out.names[1], motionNames[0]);
    EXPECT_EQ(out.names[7], motionNames[0] + " derivative");
    EXPECT_EQ(out.names[13], "csf");
    EXPECT_EQ(out.names[14], "Spike 3");
    // The extra column is cut to the matrix's eight points before its z-transform.
    const std::vector<double> csf = columnNamed(out, "csf");
    const std::vector<double> z = zScores({1, 2, 3, 4, 5, 6, 7, 8});
    for (std::size_t t = 0; t < 8; ++t) EXPECT_NEAR(csf[t], z[t], 1e-12);
    EXPECT_EQ(addedColumnsText(*model.value), "12 motion terms, 1 extra columns, 2 spike columns added");
}

TEST(ConfoundModel, SpikesOnlyAddNoMotionTerms) {
    const auto model = buildConfoundModel(designMatrixOf(8, 1), eightPoints(), requestFor(6, "0.5"), "out.sdm");
    ASSERT_TRUE(model) << model.error;
    EXPECT_EQ(model.value->content.names, (std::vector<std::string>{"Task 1", "Spike 6", "Constant"}));
}

TEST(ConfoundModel, RefusesMotionThatCannotServeTheMatrix) {
    ConfoundModelRequest request = requestFor(24);
    request.motionPath = "the motion file m_3DMC.sdm";
    const auto shortMotion = buildConfoundModel(designMatrixOf(9, 1), eightPoints(), request, "out.sdm");
    EXPECT_FALSE(shortMotion);
    EXPECT_EQ(shortMotion.error, "the motion file m_3DMC.sdm holds 8 data points, fewer than the 9 of the design matrix");

    SdmContent broken = eightPoints();
    broken.values[13] = std::nan("");
    const auto notANumber = buildConfoundModel(designMatrixOf(8, 1), broken, request, "out.sdm");
    EXPECT_FALSE(notANumber);
    EXPECT_NE(notANumber.error.find("m_3DMC.sdm cannot be used: value 2 of data point 3"), std::string::npos)
        << notANumber.error;

    request.extraColumns.push_back({"csf", Rgb{}, {1, 2, 3}});
    const auto shortExtra = buildConfoundModel(designMatrixOf(8, 1), eightPoints(), request, "out.sdm");
    EXPECT_FALSE(shortExtra);
    EXPECT_NE(shortExtra.error.find("\"csf\" holds 3 values, fewer than the 8"), std::string::npos);
}

TEST(ConfoundModel, KnowsWhetherTheMatrixHoldsTheMotionParameters) {
    SdmContent matrix = designMatrixOf(8, 1);
    EXPECT_FALSE(holdsMotionParameters(matrix, eightPoints()));
    matrix.names.insert(matrix.names.begin() + 1, motionNames.begin(), motionNames.end() - 1);
    EXPECT_FALSE(holdsMotionParameters(matrix, eightPoints()));
    matrix.names.insert(matrix.names.begin() + 1, motionNames.back());
    EXPECT_TRUE(holdsMotionParameters(matrix, eightPoints()));
}

// ------------------------------------------------------------------ spike columns

TEST(SpikeColumns, OneColumnPerVolumeAboveTheThreshold) {
    struct Case {
        std::vector<double> fd;
        double threshold;
        std::vector<std::size_t> flagged;  // 1-based volumes
    };
    const Case cases[] = {
        {{0, 0.2, 0.6, 0.5, 0.51}, 0.5, {3, 5}},  // strictly above
        {{0, 0.2, 0.6}, 1.0, {}},
        {{0, 0.2, 0.6}, 0.0, {2, 3}},              // the first volume has no FD to flag
        {{}, 0.5, {}},
    };
    for (const Case& c : cases) {
        const std::vector<ModelColumn> columns = spikeColumns(c.fd, c.threshold);
        ASSERT_EQ(columns.size(), c.flagged.size()) << c.threshold;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            EXPECT_EQ(columns[i].name, "Spike " + std::to_string(c.flagged[i]));
            ASSERT_EQ(columns[i].values.size(), c.fd.size());
            for (std::size_t t = 0; t < c.fd.size(); ++t)
                EXPECT_EQ(columns[i].values[t], t + 1 == c.flagged[i] ? 1.0 : 0.0);
        }
    }
}

TEST(SpikeColumns, FramewiseDisplacementOfKnownStepsFlagsTheirVolumes) {
    // Volume 3: 0.4 mm; volume 6: 1 degree of rotation, 50 mm * pi / 180 = 0.873 mm.
    const auto model = buildConfoundModel(designMatrixOf(8, 1), eightPoints(), requestFor(6, "0.872"), "out.sdm");
    ASSERT_TRUE(model);
    EXPECT_EQ(model.value->content.names, (std::vector<std::string>{"Task 1", "Spike 6", "Constant"}));
    const auto above = buildConfoundModel(designMatrixOf(8, 1), eightPoints(), requestFor(6, "0.873"), "out.sdm");
    ASSERT_TRUE(above);
    EXPECT_EQ(above.value->spikeColumns, 0);
    EXPECT_LT(0.872, 50.0 * std::numbers::pi / 180.0);
    EXPECT_GT(0.873, 50.0 * std::numbers::pi / 180.0);
}

TEST(SpikeColumns, MoreThanAQuarterFlaggedWarnsButStillWrites) {
    EXPECT_FALSE(tooManySpikes(2, 8));
    EXPECT_TRUE(tooManySpikes(3, 8));
    EXPECT_FALSE(tooManySpikes(0, 0));
    // Volumes 2 to 8 move by 0.01 mm or more: 7 of 8 flagged at 0.005.
    const auto model = buildConfoundModel(designMatrixOf(8, 1), eightPoints(), requestFor(6, "0.005"), "m_FD0.005.sdm");
    ASSERT_TRUE(model) << model.error;
    EXPECT_EQ(model.value->spikeColumns, 7);
    ASSERT_EQ(model.value->warnings.size(), 1u);
    EXPECT_EQ(model.value->warnings[0], "m_FD0.005.sdm: 7 of 8 volumes have a framewise displacement above 0.005 mm, "
                                        "more than a quarter; the run may be unusable");
}

}  // namespace
}  // namespace morvane
