#include "headless/responseFunction.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "headless/incompleteGamma.h"

namespace morvane {
namespace {

constexpr int peakShape = 6;
constexpr int undershootShape = 16;
constexpr double undershootRatio = 6.0;
constexpr double boyntonDelay = 2.5;
constexpr double boyntonTau = 1.25;
constexpr int boyntonShape = 3;

double gammaDensity(double t, double shape) {
    if (t <= 0.0) return 0.0;
    return std::exp((shape - 1.0) * std::log(t) - t - std::lgamma(shape));
}

// The two-gamma's integral from t = 1 on: P(6, t) - P(16, t) / 6 written as
// (1 - 1/6) - e^-t (S6(t) - S16(t) / 6) with S_n(t) = 1 + t + ... + t^(n-1)/(n-1)!, the two
// sums folded into one polynomial of degree 15. Below t = 1 the series keep the digits of
// the small values.
constexpr double twoGammaLimit = 1.0 - 1.0 / undershootRatio;
static_assert(undershootShape == 16, "the polynomial below is written out for 16 coefficients");
constexpr std::array<double, undershootShape> twoGammaTail = [] {
    std::array<double, undershootShape> coefficients{};
    double inverseFactorial = 1.0;
    for (int k = 0; k < undershootShape; ++k) {
        if (k > 0) inverseFactorial /= k;
        coefficients[static_cast<std::size_t>(k)] =
            (k < peakShape ? inverseFactorial : 0.0) - inverseFactorial / undershootRatio;
    }
    return coefficients;
}();

// The variable of the response's gamma at a time t after the boundary: t itself for the
// two-gamma, (t - δ)/τ for Boynton's. The response has not begun where it is not above 0.
double gammaVariable(ResponseFunction function, double t) {
    return function == ResponseFunction::TwoGamma ? t : (t - boyntonDelay) / boyntonTau;
}

// H from the gamma's variable u > 0 and e^-u.
double integralAt(ResponseFunction function, double u, double expMinusU) {
    if (function == ResponseFunction::Boynton) {
        static_assert(boyntonShape == 3, "the sum below is written out for shape 3");
        if (u < 1.0 || expMinusU == 0.0) return wholeShapeLowerGamma(boyntonShape, u, expMinusU);
        return 1.0 - expMinusU * ((0.5 * u + 1.0) * u + 1.0);
    }
    if (u < 1.0)
        return wholeShapeLowerGamma(peakShape, u, expMinusU) -
               wholeShapeLowerGamma(undershootShape, u, expMinusU) / undershootRatio;
    // Beyond about 745 e^-u is 0 while the polynomial may overflow.
    if (expMinusU == 0.0) return twoGammaLimit;
    // Estrin's scheme: pairs, then pairs of pairs, so that few steps wait on each other.
    const auto& c = twoGammaTail;
    const double u2 = u * u;
    const double u4 = u2 * u2;
    const double u8 = u4 * u4;
    const double q0 = (c[0] + c[1] * u) + (c[2] + c[3] * u) * u2;
    const double q1 = (c[4] + c[5] * u) + (c[6] + c[7] * u) * u2;
    const double q2 = (c[8] + c[9] * u) + (c[10] + c[11] * u) * u2;
    const double q3 = (c[12] + c[13] * u) + (c[14] + c[15] * u) * u2;
    const double sum = (q0 + q1 * u4) + (q2 + q3 * u4) * u8;
    return twoGammaLimit - expMinusU * sum;
}

// H at the moments of consecutive volumes after one boundary of a boxcar. From one volume to
// the next the gamma's variable grows by the same step, so e^-u is carried along by one
// multiplication instead of an exponential for each volume; both are taken afresh at the
// first volume after the boundary. The variable is counted on from there too, so that it and
// its exponential agree to a few units of 1e-14, and so do the values, which are at most 1.
class IntegralAfterBoundary {
public:
    IntegralAfterBoundary(ResponseFunction function, double step, double stepFactor)
        : function_(function), step_(step), stepFactor_(stepFactor) {}

    double next(double t) {
        double u = 0.0;
        if (steps_ < 0) {
            u = gammaVariable(function_, t);
            if (!(u > 0.0)) return 0.0;
            first_ = u;
            expMinusU_ = std::exp(-u);
            steps_ = 0;
        } else {
            ++steps_;
            u = first_ + static_cast<double>(steps_) * step_;
            expMinusU_ *= stepFactor_;
        }
        return integralAt(function_, u, expMinusU_);
    }

private:
    ResponseFunction function_;
    double step_;
    double stepFactor_;
    long long steps_ = -1;  // volumes since the first after the boundary; -1 before it
    double first_ = 0.0;
    double expMinusU_ = 0.0;
};

// The maximum of a smooth single-peaked function on [low, high], by golden-section search.
template <typename Function>
double maximumOf(Function f, double low, double high) {
    const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
    double a = low, b = high;
    for (int i = 0; i < 200; ++i) {
        const double c = b - ratio * (b - a);
        const double d = a + ratio * (b - a);
        if (f(c) < f(d)) a = c; else b = d;
    }
    return f((a + b) / 2.0);
}

}  // namespace

double responseValue(ResponseFunction function, double t) {
    if (function == ResponseFunction::TwoGamma)
        return gammaDensity(t, peakShape) - gammaDensity(t, undershootShape) / undershootRatio;
    if (t <= boyntonDelay) return 0.0;
    return gammaDensity((t - boyntonDelay) / boyntonTau, boyntonShape) / boyntonTau;
}

double responseIntegral(ResponseFunction function, double t) {
    // Whole shapes: finite sums instead of iterations.
    const double u = gammaVariable(function, t);
    if (!(u > 0.0)) return 0.0;
    return integralAt(function, u, std::exp(-u));
}

double responseSettledAfter(ResponseFunction function) {
    // A second more than the gammas need, against the rounding of the shift and scale of t.
    static const double twoGamma =
        std::max(wholeShapeSaturation(peakShape), wholeShapeSaturation(undershootShape)) + 1.0;
    static const double boynton = boyntonDelay + boyntonTau * wholeShapeSaturation(boyntonShape) + 1.0;
    return function == ResponseFunction::TwoGamma ? twoGamma : boynton;
}

double responseArea(ResponseFunction function) {
    return function == ResponseFunction::TwoGamma ? twoGammaLimit : 1.0;
}

double responsePeak(ResponseFunction function) {
    static const double twoGammaPeak =
        maximumOf([](double t) { return responseValue(ResponseFunction::TwoGamma, t); }, 1.0, 10.0);
    static const double boyntonPeak =
        maximumOf([](double t) { return responseValue(ResponseFunction::Boynton, t); }, 2.6, 12.0);
    return function == ResponseFunction::TwoGamma ? twoGammaPeak : boyntonPeak;
}

std::vector<double> convolveBoxcar(const std::vector<BoxcarSegment>& boxcar, ResponseFunction function,
                                   const Convention& convention, double tr, int numberOfVolumes) {
    std::vector<double> values(static_cast<std::size_t>(std::max(numberOfVolumes, 0)), 0.0);
    const double scale = convention.normalisation == ResponseNormalisation::Area ? 1.0 / responseArea(function)
                                                                                 : 1.0 / responsePeak(function);
    const double offset = convention.moment == SamplingMoment::Middle ? 0.5 : 0.0;
    const auto moment = [&](std::size_t i) { return (static_cast<double>(i) + offset) * tr; };
    // A segment touches only the volumes after its start and before its response has
    // settled: from then on both integrals are exactly their final value and it adds exactly
    // 0. Each volume still sums its segments in their order.
    if (!(tr > 0.0) || !std::isfinite(tr)) {
        for (const BoxcarSegment& segment : boxcar) {
            for (std::size_t i = 0; i < values.size(); ++i) {
                const double t = moment(i);
                if (segment.startSeconds >= t) continue;  // the response starts after the event does
                values[i] += segment.height * (responseIntegral(function, t - segment.startSeconds) -
                                               responseIntegral(function, t - segment.endSeconds));
            }
        }
    } else {
        const double settled = responseSettledAfter(function);
        const double step = gammaVariable(function, tr) - gammaVariable(function, 0.0);
        const double stepFactor = std::exp(-step);
        for (const BoxcarSegment& segment : boxcar) {
            const double from = std::floor(segment.startSeconds / tr - offset);
            const double to = std::ceil((segment.endSeconds + settled) / tr - offset) + 1.0;
            if (!(from < static_cast<double>(values.size())) || !(to > 0.0)) continue;
            const std::size_t first = from > 0.0 ? static_cast<std::size_t>(from) : 0;
            const std::size_t last = to < static_cast<double>(values.size()) ? static_cast<std::size_t>(to) : values.size();
            IntegralAfterBoundary afterStart(function, step, stepFactor);
            IntegralAfterBoundary afterEnd(function, step, stepFactor);
            for (std::size_t i = first; i < last; ++i) {
                const double t = moment(i);
                if (segment.startSeconds >= t) continue;  // the response starts after the event does
                values[i] += segment.height * (afterStart.next(t - segment.startSeconds) -
                                               afterEnd.next(t - segment.endSeconds));
            }
        }
    }
    for (double& value : values) value *= scale;
    return values;
}

std::vector<double> sampleBoxcar(const std::vector<BoxcarSegment>& boxcar, double tr, int numberOfVolumes) {
    std::vector<double> values(static_cast<std::size_t>(std::max(numberOfVolumes, 0)), 0.0);
    if (!(tr > 0.0)) return values;
    for (const BoxcarSegment& segment : boxcar) {
        if (!(segment.endSeconds > segment.startSeconds)) continue;
        const auto first = static_cast<long long>(std::floor(segment.startSeconds / tr));
        const auto last = static_cast<long long>(std::ceil(segment.endSeconds / tr));
        for (long long i = std::max(first, 0LL); i < std::min<long long>(last, numberOfVolumes); ++i) {
            const double volumeStart = static_cast<double>(i) * tr;
            const double overlap = std::min(segment.endSeconds, volumeStart + tr) -
                                   std::max(segment.startSeconds, volumeStart);
            if (overlap > 0.0) values[static_cast<std::size_t>(i)] += segment.height * overlap / tr;
        }
    }
    return values;
}

}  // namespace morvane
