// The two forms in which the extended design matrix writes real values. Each writes the whole
// text, however long, to `out` and returns the end; `out` must have room for the longest text.
#pragma once

#include <cstddef>

// The longest texts: "%g" with its sign and exponent; a fixed text of the largest double,
// 309 integer digits, sign, point and six decimals.
inline constexpr std::size_t longestDefaultNotation = 32;
inline constexpr std::size_t longestFixedSixDecimals = 330;

// The default notation of an output stream: six significant digits, trailing zeros dropped,
// exponent form for very large or very small magnitudes; the text of printf "%g".
char* writeDefaultNotation(char* out, double value);

// The text of printf "%4.6lf": fixed notation, six decimals, at least four characters.
char* writeFixedSixDecimals(char* out, double value);
