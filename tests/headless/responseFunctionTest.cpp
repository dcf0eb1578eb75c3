#include "headless/responseFunction.h"

#include <gtest/gtest.h>

#include <cmath>

#include "headless/incompleteGamma.h"

namespace morvane {
namespace {

// For whole shapes, P(n, x) = 1 - e^-x (1 + x + ... + x^(n-1)/(n-1)!).
double wholeShapeLowerGamma(int n, double x) {
    double term = 1.0, sum = 1.0;
    for (int k = 1; k < n; ++k) {
        term *= x / k;
        sum += term;
    }
    return 1.0 - std::exp(-x) * sum;
}

TEST(IncompleteGamma, MatchesTheClosedFormForWholeShapesOnBothBranches) {
    for (int n : {1, 2, 3, 6, 16}) {
        for (double x : {1e-6, 0.01, 0.5, 1.0, 2.9, 3.0, 5.0, 7.0, 15.0, 17.5, 30.0, 60.0}) {
            EXPECT_NEAR(regularisedLowerGamma(n, x), wholeShapeLowerGamma(n, x), 1e-13) << "n " << n << " x " << x;
        }
    }
    EXPECT_EQ(regularisedLowerGamma(6.0, 0.0), 0.0);
    EXPECT_EQ(regularisedLowerGamma(6.0, -1.0), 0.0);
    EXPECT_NEAR(regularisedLowerGamma(0.5, 2.0), std::erf(std::sqrt(2.0)), 1e-13);
}

TEST(ResponseFunction, TwoGammaHasItsKnownShape) {
    EXPECT_NEAR(responsePeak(ResponseFunction::TwoGamma), 0.17544, 1e-5);
    EXPECT_NEAR(responseValue(ResponseFunction::TwoGamma, 5.0), 0.17544, 1e-4);
    EXPECT_GT(responseValue(ResponseFunction::TwoGamma, 12.0), 0.0);
    EXPECT_LT(responseValue(ResponseFunction::TwoGamma, 12.2), 0.0);
    EXPECT_LT(responseValue(ResponseFunction::TwoGamma, 15.75), responseValue(ResponseFunction::TwoGamma, 14.5));
    EXPECT_LT(responseValue(ResponseFunction::TwoGamma, 15.75), responseValue(ResponseFunction::TwoGamma, 17.0));
    EXPECT_NEAR(responseIntegral(ResponseFunction::TwoGamma, 200.0), 1.0 - 1.0 / 6.0, 1e-12);
    EXPECT_EQ(responseValue(ResponseFunction::TwoGamma, -1.0), 0.0);
}

TEST(ResponseFunction, BoyntonStartsAfterItsDelayAndPeaksAtFiveSeconds) {
    EXPECT_EQ(responseValue(ResponseFunction::Boynton, 2.5), 0.0);
    EXPECT_GT(responseValue(ResponseFunction::Boynton, 2.6), 0.0);
    EXPECT_NEAR(responsePeak(ResponseFunction::Boynton), 4.0 * std::exp(-2.0) / 2.5, 1e-10);
    EXPECT_NEAR(responseValue(ResponseFunction::Boynton, 5.0), responsePeak(ResponseFunction::Boynton), 1e-12);
    EXPECT_NEAR(responseIntegral(ResponseFunction::Boynton, 100.0), 1.0, 1e-12);
}

// The convolution by Simpson's rule on a fine grid, independent of the closed form.
double numericalConvolution(const std::vector<BoxcarSegment>& boxcar, ResponseFunction function, double t) {
    double sum = 0.0;
    for (const BoxcarSegment& segment : boxcar) {
        const double end = std::min(segment.endSeconds, t);
        if (end <= segment.startSeconds) continue;
        const int steps = 20000;
        const double h = (end - segment.startSeconds) / steps;
        double integral = 0.0;
        for (int i = 0; i <= steps; ++i) {
            const double s = segment.startSeconds + i * h;
            const double weight = (i == 0 || i == steps) ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0);
            integral += weight * responseValue(function, t - s);
        }
        sum += segment.height * integral * h / 3.0;
    }
    return sum;
}

TEST(ResponseFunction, ExactConvolutionAgreesWithAFineNumericalOne) {
    const std::vector<BoxcarSegment> boxcar = {
        {0.0, 10.0, 1.0}, {13.37, 13.47, 2.0}, {20.25, 24.0, -0.5}, {31.0, 51.5, 1.25}};
    const double tr = 1.7;
    const int volumes = 40;
    for (ResponseFunction function : {ResponseFunction::TwoGamma, ResponseFunction::Boynton}) {
        for (ResponseNormalisation normalisation : {ResponseNormalisation::Area, ResponseNormalisation::Peak}) {
            for (SamplingMoment moment : {SamplingMoment::Start, SamplingMoment::Middle}) {
                const Convention convention{normalisation, moment};
                const auto exact = convolveBoxcar(boxcar, function, convention, tr, volumes);
                const double scale = normalisation == ResponseNormalisation::Area ? 1.0 / responseArea(function)
                                                                                  : 1.0 / responsePeak(function);
                const double offset = moment == SamplingMoment::Middle ? 0.5 : 0.0;
                for (int i = 0; i < volumes; ++i) {
                    const double numerical = scale * numericalConvolution(boxcar, function, (i + offset) * tr);
                    EXPECT_NEAR(exact[static_cast<std::size_t>(i)], numerical, 1e-6) << "volume " << i;
                }
            }
        }
    }
}

TEST(ResponseFunction, NormalisationsGiveTheirDocumentedLevels) {
    const std::vector<BoxcarSegment> longBlock = {{0.0, 200.0, 1.0}};
    const auto area = convolveBoxcar(longBlock, ResponseFunction::TwoGamma, {}, 2.0, 100);
    EXPECT_NEAR(area[90], 1.0, 1e-6);  // the plateau
    double highest = 0.0;
    for (double value : area) highest = std::max(highest, value);
    EXPECT_NEAR(highest, 1.14, 0.01);  // the overshoot of the two-gamma response
    const std::vector<BoxcarSegment> oneSecond = {{0.0, 1.0, 1.0}};
    const auto peak = convolveBoxcar(oneSecond, ResponseFunction::Boynton,
                                     {ResponseNormalisation::Peak, SamplingMoment::Start}, 0.1, 200);
    double peakHighest = 0.0;
    for (double value : peak) peakHighest = std::max(peakHighest, value);
    EXPECT_NEAR(peakHighest, 1.0, 0.02);
}

TEST(ResponseFunction, PredictorsScaleLinearlyAndNothingPrecedesTheEvent) {
    const std::vector<BoxcarSegment> one = {{10.0, 14.0, 1.0}};
    const std::vector<BoxcarSegment> three = {{10.0, 14.0, 3.0}};
    const auto a = convolveBoxcar(one, ResponseFunction::TwoGamma, {}, 2.0, 30);
    const auto b = convolveBoxcar(three, ResponseFunction::TwoGamma, {}, 2.0, 30);
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_NEAR(b[i], 3.0 * a[i], 1e-12);
    for (std::size_t i = 0; i <= 5; ++i) EXPECT_EQ(a[i], 0.0);
    EXPECT_GT(a[6], 0.0);
}

TEST(ResponseFunction, PlainBoxcarsAverageTheEventsOverEachVolume) {
    const auto volumes = sampleBoxcar({{2.0, 6.0, 1.5}}, 2.0, 5);
    EXPECT_EQ(volumes, (std::vector<double>{0.0, 1.5, 1.5, 0.0, 0.0}));
    const auto partial = sampleBoxcar({{1.0, 2.5, 2.0}}, 2.0, 3);
    EXPECT_NEAR(partial[0], 1.0, 1e-12);
    EXPECT_NEAR(partial[1], 0.5, 1e-12);
    EXPECT_EQ(partial[2], 0.0);
}

}  // namespace
}  // namespace morvane
