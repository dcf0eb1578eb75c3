#include "headless/responseFunction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

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

TEST(IncompleteGamma, WholeShapesWithoutIterationsAgreeWithTheIterativeForm) {
    for (int n : {1, 2, 3, 6, 16, maxWholeShape}) {
        for (double x : {1e-9, 1e-4, 0.05, 0.3, 0.999, 1.0, 1.001, 2.0, 5.5, 10.0, 17.0, 31.0, 45.0, 80.0, 200.0,
                         800.0}) {
            const double exact = regularisedLowerGamma(n, x);
            const double fast = morvane::wholeShapeLowerGamma(n, x, std::exp(-x));
            EXPECT_NEAR(fast, exact, 1e-14) << "n " << n << " x " << x;
            // Near zero the values are tiny; they must keep their digits, not only be near 0.
            if (x < 1.0) {
                EXPECT_NEAR(fast / exact, 1.0, 1e-12) << "n " << n << " x " << x;
            }
        }
        EXPECT_EQ(morvane::wholeShapeLowerGamma(n, 0.0, 1.0), 0.0);
        EXPECT_EQ(morvane::wholeShapeLowerGamma(n, -2.0, std::exp(2.0)), 0.0);
        EXPECT_EQ(morvane::wholeShapeLowerGamma(n, std::numeric_limits<double>::infinity(), 0.0), 1.0);
    }
}

// From the saturation point on the value is exactly 1, which lets a convolution leave out the
// volumes long after an event: they would add exactly 0.
TEST(IncompleteGamma, WholeShapesReachExactlyOneAtTheirSaturation) {
    for (int n : {1, 3, 6, 16, maxWholeShape}) {
        const double saturation = wholeShapeSaturation(n);
        EXPECT_LT(saturation, 120.0) << "n " << n;
        EXPECT_LT(morvane::wholeShapeLowerGamma(n, saturation - 8.0, std::exp(-(saturation - 8.0))), 1.0) << "n " << n;
        for (double x : {saturation, saturation + 0.37, saturation + 1.0, 2.0 * saturation, 700.0, 1e4})
            EXPECT_EQ(morvane::wholeShapeLowerGamma(n, x, std::exp(-x)), 1.0) << "n " << n << " x " << x;
    }
}

TEST(ResponseFunction, IntegralsAreTheirGammasAndSettleExactlyOnTheirArea) {
    for (double t : {1e-6, 0.01, 0.5, 0.99, 1.0, 1.5, 3.0, 5.0, 12.0, 15.75, 30.0, 60.0}) {
        EXPECT_NEAR(responseIntegral(ResponseFunction::TwoGamma, t),
                    regularisedLowerGamma(6.0, t) - regularisedLowerGamma(16.0, t) / 6.0, 1e-14)
            << "t " << t;
        EXPECT_NEAR(responseIntegral(ResponseFunction::Boynton, t),
                    t <= 2.5 ? 0.0 : regularisedLowerGamma(3.0, (t - 2.5) / 1.25), 1e-14)
            << "t " << t;
    }
    for (ResponseFunction function : {ResponseFunction::TwoGamma, ResponseFunction::Boynton}) {
        const double settled = responseSettledAfter(function);
        EXPECT_LT(settled, 120.0);
        EXPECT_NE(responseIntegral(function, settled - 20.0), responseArea(function));
        for (double t : {settled, settled + 0.123, settled + 2.0, 3.0 * settled, 5000.0,
                         std::numeric_limits<double>::infinity()})
            EXPECT_EQ(responseIntegral(function, t), responseArea(function)) << "t " << t;
    }
}

// The convolution visits only the volumes an event reaches and carries the exponential from
// volume to volume; the result must be the plain sum over every segment and every volume, up
// to the rounding of the times themselves (about 1e-13 s at a few hundred seconds).
std::vector<double> convolvedEverywhere(const std::vector<BoxcarSegment>& boxcar, ResponseFunction function,
                                        const Convention& convention, double tr, int volumes) {
    const double scale = convention.normalisation == ResponseNormalisation::Area ? 1.0 / responseArea(function)
                                                                                 : 1.0 / responsePeak(function);
    const double offset = convention.moment == SamplingMoment::Middle ? 0.5 : 0.0;
    std::vector<double> values(static_cast<std::size_t>(volumes), 0.0);
    for (int i = 0; i < volumes; ++i) {
        const double t = (i + offset) * tr;
        double sum = 0.0;
        for (const BoxcarSegment& segment : boxcar) {
            if (segment.startSeconds >= t) continue;
            sum += segment.height * (responseIntegral(function, t - segment.startSeconds) -
                                     responseIntegral(function, t - segment.endSeconds));
        }
        values[static_cast<std::size_t>(i)] = sum * scale;
    }
    return values;
}

TEST(ResponseFunction, ConvolutionIsThePlainSumOverEverySegmentAndVolume) {
    const std::vector<std::vector<BoxcarSegment>> boxcars = {
        // events of a millisecond protocol, touching, overlapping and with negative heights
        {{0.0, 0.1, 1.0}, {3.217, 5.5, 2.0}, {5.5, 9.999, -0.75}, {8.0, 8.001, 1.0}, {41.3, 43.9, 1.0}},
        // a long block, whose carried exponential runs over hundreds of volumes
        {{10.0, 610.0, 1.0}, {700.5, 702.0, 3.0}},
        // blocks on the volume grid, as volume protocols and changed predictors give them
        {{0.0, 2.0, 1.0}, {2.0, 4.0, 0.5}, {20.0, 28.0, 1.0}, {118.0, 120.0, 1.0}},
        // reaching before the run, beyond it, empty and reversed
        {{-5.0, 3.0, 1.0}, {230.0, 260.0, 1.0}, {30.0, 30.0, 1.0}, {50.0, 45.0, 1.0}},
    };
    for (const auto& boxcar : boxcars) {
        for (ResponseFunction function : {ResponseFunction::TwoGamma, ResponseFunction::Boynton}) {
            for (SamplingMoment moment : {SamplingMoment::Start, SamplingMoment::Middle}) {
                for (double tr : {2.0, 1.7, 0.8, 3.0}) {
                    const int volumes = static_cast<int>(800.0 / tr);
                    const Convention convention{ResponseNormalisation::Area, moment};
                    const auto fast = convolveBoxcar(boxcar, function, convention, tr, volumes);
                    const auto plain = convolvedEverywhere(boxcar, function, convention, tr, volumes);
                    ASSERT_EQ(fast.size(), plain.size());
                    for (std::size_t i = 0; i < fast.size(); ++i)
                        ASSERT_NEAR(fast[i], plain[i], 1e-12) << "tr " << tr << " volume " << i;
                }
            }
        }
    }
    // A TR that bounds no window still gives the plain sum.
    for (double tr : {0.0, -1.0}) {
        const std::vector<BoxcarSegment> boxcar = {{-3.0, -1.0, 1.0}};
        EXPECT_EQ(convolveBoxcar(boxcar, ResponseFunction::TwoGamma, {}, tr, 4),
                  convolvedEverywhere(boxcar, ResponseFunction::TwoGamma, {}, tr, 4));
    }
}

}  // namespace
}  // namespace morvane
