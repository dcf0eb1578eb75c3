// The two forms in which the extended design matrix writes real values, appended to a text
// whole, however long the result.
#pragma once

#include <string>

// The default notation of an output stream: six significant digits, trailing zeros dropped,
// exponent form for very large or very small magnitudes; the text of printf "%g".
void appendDefaultNotation(std::string& text, double value);

// The text of printf "%4.6lf": fixed notation, six decimals, at least four characters.
void appendFixedSixDecimals(std::string& text, double value);
