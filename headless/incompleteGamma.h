// The regularised lower incomplete gamma function P(a, x) = γ(a, x) / Γ(a).
#pragma once

namespace morvane {

// For a > 0; 0 for x <= 0. Accurate to about 1e-14.
double regularisedLowerGamma(double a, double x);

}  // namespace morvane
