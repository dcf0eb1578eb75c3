#include "headless/incompleteGamma.h"

#include <cmath>
#include <limits>

namespace morvane {
namespace {

constexpr int maximumIterations = 1000;
constexpr double relativeTolerance = 1e-16;

// Sum of x^n / (a (a+1) ... (a+n)), which converges quickly for x < a + 1.
double lowerBySeries(double a, double x, double logPrefactor) {
    double term = 1.0 / a;
    double sum = term;
    double denominator = a;
    for (int n = 1; n < maximumIterations; ++n) {
        denominator += 1.0;
        term *= x / denominator;
        sum += term;
        if (std::fabs(term) < std::fabs(sum) * relativeTolerance) break;
    }
    return sum * std::exp(logPrefactor);
}

// Q(a, x) by the continued fraction 1/(x+1-a- 1(1-a)/(x+3-a- 2(2-a)/(x+5-a- ...))), evaluated
// with the modified Lentz method; it converges quickly for x >= a + 1.
double upperByContinuedFraction(double a, double x, double logPrefactor) {
    constexpr double tiny = std::numeric_limits<double>::min() / std::numeric_limits<double>::epsilon();
    double b = x + 1.0 - a;
    double c = 1.0 / tiny;
    double d = 1.0 / b;
    double fraction = d;
    for (int i = 1; i < maximumIterations; ++i) {
        const double an = -i * (i - a);
        b += 2.0;
        d = an * d + b;
        if (std::fabs(d) < tiny) d = tiny;
        c = b + an / c;
        if (std::fabs(c) < tiny) c = tiny;
        d = 1.0 / d;
        const double delta = d * c;
        fraction *= delta;
        if (std::fabs(delta - 1.0) < relativeTolerance) break;
    }
    return std::exp(logPrefactor) * fraction;
}

}  // namespace

double regularisedLowerGamma(double a, double x) {
    if (!(x > 0.0)) return 0.0;
    if (std::isinf(x)) return 1.0;
    // x^a e^-x / Γ(a), in logarithms to stay finite for large a and x.
    const double logPrefactor = a * std::log(x) - x - std::lgamma(a);
    if (x < a + 1.0) return lowerBySeries(a, x, logPrefactor);
    return 1.0 - upperByContinuedFraction(a, x, logPrefactor);
}

}  // namespace morvane
