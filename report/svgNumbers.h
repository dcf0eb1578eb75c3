// Numbers for the pictures' markup: coordinates with one decimal at most, and round steps
// for axis ticks.
#pragma once

#include <string>

namespace morvane {

// "12", "12.5", "-0.3": one decimal, without a trailing ".0"; 0 for a value that is not finite.
std::string svgNumber(double value);
void appendSvgNumber(std::string& text, double value);

// A step of 1, 2 or 5 times a power of ten that cuts `span` into at most `most` parts.
double roundStep(double span, int most);

// The figure as the page writes it in text: `digits` significant digits, plain notation for
// ordinary magnitudes.
std::string figureText(double value, int digits = 3);

}  // namespace morvane
