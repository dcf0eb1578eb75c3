#include "headless/designMatrix.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

ProtocolCondition condition(std::vector<std::pair<int, int>> intervals, Rgb color = {1, 2, 3}) {
    ProtocolCondition result;
    result.name = "C";
    result.color = color;
    for (auto [start, end] : intervals) result.intervals.push_back({start, end, {}});
    return result;
}

TEST(DesignMatrix, VolumeIntervalsAreOneBasedAndInclusive) {
    const RunTiming timing{2.0, 10};
    const auto boxcar = conditionBoxcar(condition({{3, 4}, {7, 7}}), false, timing, 1.0);
    ASSERT_EQ(boxcar.size(), 2u);
    EXPECT_DOUBLE_EQ(boxcar[0].startSeconds, 4.0);
    EXPECT_DOUBLE_EQ(boxcar[0].endSeconds, 8.0);
    EXPECT_DOUBLE_EQ(boxcar[1].startSeconds, 12.0);
    EXPECT_DOUBLE_EQ(boxcar[1].endSeconds, 14.0);
    Predictor predictor;
    setPredictorFromCondition(predictor, condition({{3, 4}, {7, 7}}), false, timing, 2.0f);
    EXPECT_EQ(predictor.values, (std::vector<float>{0, 0, 2, 2, 0, 0, 2, 0, 0, 0}));
}

TEST(DesignMatrix, MillisecondIntervalsStayInContinuousTime) {
    const RunTiming timing{2.0, 10};
    const auto boxcar = conditionBoxcar(condition({{1000, 2500}, {5000, 5000}}), true, timing, 1.0);
    ASSERT_EQ(boxcar.size(), 2u);
    EXPECT_DOUBLE_EQ(boxcar[0].startSeconds, 1.0);
    EXPECT_DOUBLE_EQ(boxcar[0].endSeconds, 2.5);
    // A zero-length event lasts the documented shortest time.
    EXPECT_NEAR(boxcar[1].endSeconds - boxcar[1].startSeconds, shortestEventSeconds, 1e-12);
    Predictor predictor;
    setPredictorFromCondition(predictor, condition({{1000, 2500}}), true, timing, 1.0f);
    EXPECT_FLOAT_EQ(predictor.values[0], 0.5f);
    EXPECT_FLOAT_EQ(predictor.values[1], 0.25f);
}

TEST(DesignMatrix, IntervalsBeyondTheRunAreClippedWithAWarning) {
    const RunTiming timing{2.0, 10};
    Protocol protocol;
    protocol.conditions = {condition({{0, 2}, {9, 12}, {15, 20}, {4, 5}})};
    EXPECT_EQ(intervalsOutsideRun(protocol, timing).size(), 3u);
    const auto boxcar = conditionBoxcar(protocol.conditions[0], false, timing, 1.0);
    ASSERT_EQ(boxcar.size(), 3u);  // the interval wholly after the run vanishes
    EXPECT_DOUBLE_EQ(boxcar[0].startSeconds, 0.0);
    EXPECT_DOUBLE_EQ(boxcar[1].endSeconds, 20.0);
    protocol.inMilliseconds = true;
    protocol.conditions = {condition({{0, 20000}, {19000, 21000}})};
    EXPECT_EQ(intervalsOutsideRun(protocol, timing).size(), 1u);
}

TEST(DesignMatrix, ConvolutionIsExactUnlessTheValuesWereChanged) {
    const RunTiming timing{2.0, 20};
    DesignMatrix matrix;
    Predictor& exact = addPredictor(matrix, "A", timing.numberOfVolumes);
    // A 100-ms event in the middle of volume 0 would vanish from a sampled boxcar.
    setPredictorFromCondition(exact, condition({{900, 1000}}), true, timing, 1.0f);
    convolvePredictor(exact, ResponseFunction::TwoGamma, {}, timing);
    const auto expected = convolveBoxcar({{0.9, 1.0, 1.0}}, ResponseFunction::TwoGamma, {}, 2.0, 20);
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_FLOAT_EQ(exact.values[i], float(expected[i]));

    Predictor& changed = addPredictor(matrix, "B", timing.numberOfVolumes);
    setPredictorFromCondition(changed, condition({{900, 1000}}), true, timing, 1.0f);
    changed.values[3] = 2.0f;  // written through the address the host handed out
    convolvePredictor(changed, ResponseFunction::Boynton, {}, timing);
    std::vector<BoxcarSegment> perVolume = {{0.0, 2.0, 0.05}, {6.0, 8.0, 2.0}};
    const auto expectedChanged = convolveBoxcar(perVolume, ResponseFunction::Boynton, {}, 2.0, 20);
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(changed.values[i], expectedChanged[i], 1e-6);
}

TEST(DesignMatrix, LaterPredictorsOfTheSameNameAreFoundFirstAndAddressesStay) {
    DesignMatrix matrix;
    Predictor& first = addPredictor(matrix, "Same", 4);
    float* address = first.values.data();
    for (int i = 0; i < 50; ++i) addPredictor(matrix, "Other", 4);
    Predictor& second = addPredictor(matrix, "Same", 4);
    EXPECT_EQ(findPredictor(matrix, "Same"), &second);
    EXPECT_EQ(findPredictor(matrix, "Missing"), nullptr);
    EXPECT_EQ(matrix.predictors.front()->values.data(), address);
}

TEST(DesignMatrix, TheConstantStandsLastInWhiteAndSetsTheHeader) {
    DesignMatrix matrix;
    Predictor& task = addPredictor(matrix, "Task", 3);
    setPredictorFromCondition(task, condition({{1, 1}}, {9, 8, 7}), false, {1.0, 3}, 1.0f);
    Predictor& constant = addPredictor(matrix, "Constant", 3);
    constant.values = {1, 1, 1};
    const SdmContent content = designMatrixContent(matrix, 3);
    EXPECT_EQ(content.includesConstant, 1);
    EXPECT_EQ(content.firstConfoundPredictor, 2);
    EXPECT_EQ(content.colors, (std::vector<Rgb>{{9, 8, 7}, {255, 255, 255}}));
    EXPECT_EQ(content.value(2, 1), 1.0);

    matrix.predictors.pop_back();
    const SdmContent withoutConstant = designMatrixContent(matrix, 3);
    EXPECT_EQ(withoutConstant.includesConstant, 0);
    EXPECT_EQ(withoutConstant.firstConfoundPredictor, 2);
}

}  // namespace
}  // namespace morvane
