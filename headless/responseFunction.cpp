#include "headless/responseFunction.h"

#include <algorithm>
#include <cmath>

#include "headless/incompleteGamma.h"

namespace morvane {
namespace {

constexpr double peakShape = 6.0;
constexpr double undershootShape = 16.0;
constexpr double undershootRatio = 6.0;
constexpr double boyntonDelay = 2.5;
constexpr double boyntonTau = 1.25;
constexpr double boyntonShape = 3.0;

double gammaDensity(double t, double shape) {
    if (t <= 0.0) return 0.0;
    return std::exp((shape - 1.0) * std::log(t) - t - std::lgamma(shape));
}

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
    if (function == ResponseFunction::TwoGamma)
        return regularisedLowerGamma(peakShape, t) - regularisedLowerGamma(undershootShape, t) / undershootRatio;
    if (t <= boyntonDelay) return 0.0;
    return regularisedLowerGamma(boyntonShape, (t - boyntonDelay) / boyntonTau);
}

double responseArea(ResponseFunction function) {
    return function == ResponseFunction::TwoGamma ? 1.0 - 1.0 / undershootRatio : 1.0;
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
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double t = (static_cast<double>(i) + offset) * tr;
        double sum = 0.0;
        for (const BoxcarSegment& segment : boxcar) {
            if (segment.startSeconds >= t) continue;  // the response starts after the event does
            sum += segment.height *
                   (responseIntegral(function, t - segment.startSeconds) -
                    responseIntegral(function, t - segment.endSeconds));
        }
        values[i] = sum * scale;
    }
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
