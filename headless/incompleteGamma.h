// The regularised lower incomplete gamma function P(a, x) = γ(a, x) / Γ(a).
#pragma once

namespace morvane {

// For a > 0; 0 for x <= 0. Accurate to about 1e-14.
double regularisedLowerGamma(double a, double x);

// The same for a whole shape n (1 to maxWholeShape), without iterations: the finite sum
// P(n, x) = 1 - e^-x (1 + x + ... + x^(n-1)/(n-1)!), and near zero, where that sum leaves too
// few digits of a small P, the series x^n e^-x / n! (1 + x/(n+1) + x^2/((n+1)(n+2)) + ...).
// The caller passes e^-x, so that shapes evaluated at the same x share it. Accurate to a few
// units of 1e-16, and relatively so near zero. Other shapes take the iterative form.
inline constexpr int maxWholeShape = 30;
double wholeShapeLowerGamma(int n, double x, double expMinusX);

// A whole number x from which on wholeShapeLowerGamma(n, x, e^-x) is exactly 1.0 (infinity
// for shapes outside 1 to maxWholeShape).
double wholeShapeSaturation(int n);

}  // namespace morvane
