#include "headless/incompleteGamma.h"

#include <cmath>
#include <iterator>
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

// 1/k!, and 1/k for the series.
struct WholeShapeTables {
    double inverseFactorial[maxWholeShape + 1]{};
    double inverse[2 * maxWholeShape + 64]{};
    constexpr WholeShapeTables() {
        inverseFactorial[0] = 1.0;
        for (int k = 1; k <= maxWholeShape; ++k) inverseFactorial[k] = inverseFactorial[k - 1] / k;
        inverse[0] = 0.0;
        for (int k = 1; k < static_cast<int>(std::size(inverse)); ++k) inverse[k] = 1.0 / k;
    }
};
constexpr WholeShapeTables tables;

// Below this x the finite sum would subtract nearly 1 from 1; the series takes over.
constexpr double seriesBelow = 1.0;

// e^-x (1 + x + ... + x^(n-1)/(n-1)!) = Q(n, x), by Horner's rule.
double upperSum(int n, double x, double expMinusX) {
    double sum = tables.inverseFactorial[n - 1];
    for (int k = n - 2; k >= 0; --k) sum = sum * x + tables.inverseFactorial[k];
    return expMinusX * sum;
}

}  // namespace

double wholeShapeLowerGamma(int n, double x, double expMinusX) {
    if (n < 1 || n > maxWholeShape) return regularisedLowerGamma(n, x);
    if (!(x > 0.0)) return 0.0;
    if (x >= seriesBelow) {
        // Beyond about 745 e^-x is 0 while the sum may overflow.
        if (expMinusX == 0.0) return 1.0;
        return 1.0 - upperSum(n, x, expMinusX);
    }
    // x^n / n!, then the series; with x < 1 each term is less than half the one before.
    double prefactor = 1.0;
    for (int k = 1; k <= n; ++k) prefactor *= x * tables.inverse[k];
    double term = 1.0;
    double sum = 1.0;
    for (int j = 1; j < 64 && term > sum * relativeTolerance * 0.1; ++j) {
        term *= x * tables.inverse[n + j];
        sum += term;
    }
    return prefactor * expMinusX * sum;
}

double wholeShapeSaturation(int n) {
    if (n < 1 || n > maxWholeShape) return std::numeric_limits<double>::infinity();
    // Q(n, x) falls as x grows; once the computed value is below 2^-56, the true one and every
    // later one stay below 2^-55 despite rounding, and 1 - Q rounds to exactly 1.
    double x = 1.0;
    while (upperSum(n, x, std::exp(-x)) >= 0x1p-56) x += 1.0;
    return x;
}

double regularisedLowerGamma(double a, double x) {
    if (!(x > 0.0)) return 0.0;
    if (std::isinf(x)) return 1.0;
    // x^a e^-x / Γ(a), in logarithms to stay finite for large a and x.
    const double logPrefactor = a * std::log(x) - x - std::lgamma(a);
    if (x < a + 1.0) return lowerBySeries(a, x, logPrefactor);
    return 1.0 - upperByContinuedFraction(a, x, logPrefactor);
}

}  // namespace morvane
