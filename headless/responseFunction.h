// The haemodynamic response functions and their exact convolution with boxcars.
//
// Two-gamma (onset 0 s, peak 5 s, undershoot 15 s, ratio 6, dispersions 1):
//     h(t) = g(t; 6) - g(t; 16) / 6,  g(t; k) = t^(k-1) e^-t / Γ(k)
// Boynton (δ = 2.5 s, τ = 1.25 s, n = 3):
//     h(t) = ((t-δ)/τ)^(n-1) e^-((t-δ)/τ) / (τ (n-1)!)  for t > δ
//
// Both are sums of gamma densities, so the integral H(t) = ∫0..t h is a sum of regularised
// incomplete gamma functions, and a boxcar of height a on [t0, t1) convolves to
// a (H(t - t0) - H(t - t1)) exactly, for any TR and any event length.
#pragma once

#include <vector>

namespace morvane {

enum class ResponseFunction { TwoGamma, Boynton };

// How the response is scaled before the convolution.
//   Area: h / ∫h, so a block long enough plateaus at its height (the default).
//   Peak: h / max h, so a one-second event peaks near its height.
enum class ResponseNormalisation { Area, Peak };

// Which moment of each volume its value stands for: the volume's start (t = i TR, the
// default) or its middle (t = (i + 1/2) TR).
enum class SamplingMoment { Start, Middle };

struct Convention {
    ResponseNormalisation normalisation = ResponseNormalisation::Area;
    SamplingMoment moment = SamplingMoment::Start;
};

// One piece of a boxcar: height over [startSeconds, endSeconds).
struct BoxcarSegment {
    double startSeconds;
    double endSeconds;
    double height;
};

double responseValue(ResponseFunction function, double seconds);       // h(t), unscaled
double responseIntegral(ResponseFunction function, double seconds);    // H(t), unscaled
double responseArea(ResponseFunction function);                        // H(∞)
double responsePeak(ResponseFunction function);                        // max h
// A time from which on H(t) is exactly H(∞) as computed, so that an event adds exactly 0.
double responseSettledAfter(ResponseFunction function);

// The boxcar convolved with the scaled response, sampled once per volume.
std::vector<double> convolveBoxcar(const std::vector<BoxcarSegment>& boxcar, ResponseFunction function,
                                   const Convention& convention, double repetitionTimeSeconds,
                                   int numberOfVolumes);

// The plain (unconvolved) predictor: each volume holds the heights of the boxcar averaged
// over the volume's time [i TR, (i+1) TR), so volume-based blocks give exactly their height.
std::vector<double> sampleBoxcar(const std::vector<BoxcarSegment>& boxcar, double repetitionTimeSeconds,
                                 int numberOfVolumes);

}  // namespace morvane
