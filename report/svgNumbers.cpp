#include "report/svgNumbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "formats/textFormat.h"

namespace morvane {

void appendSvgNumber(std::string& text, double value) {
    // Pictures have thousands of coordinates; printf would take most of their time.
    const double rounded = std::isfinite(value) ? std::round(value * 10.0) : 0.0;
    if (rounded == 0.0 || std::fabs(rounded) >= 1e17) {
        text += rounded == 0.0 ? "0" : formatText("%.1f", rounded / 10.0);
        return;
    }
    const long long tenths = static_cast<long long>(rounded);
    const unsigned long long magnitude = static_cast<unsigned long long>(tenths < 0 ? -tenths : tenths);
    if (tenths < 0) text += '-';
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, magnitude / 10).ptr;
    text.append(digits, end);
    if (magnitude % 10 != 0) {
        text += '.';
        text += static_cast<char>('0' + magnitude % 10);
    }
}

std::string svgNumber(double value) {
    std::string text;
    appendSvgNumber(text, value);
    return text;
}

double roundStep(double span, int most) {
    if (!(span > 0.0) || !std::isfinite(span) || most < 1) return 1.0;
    const double rough = span / most;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0, 10.0})
        if (factor * power >= rough) return factor * power;
    return 10.0 * power;
}

std::string figureText(double value, int digits) {
    if (std::isnan(value)) return "n/a";
    if (std::isinf(value)) return value > 0 ? "\xE2\x88\x9E" : "-\xE2\x88\x9E";
    const double magnitude = std::fabs(value);
    if (magnitude != 0.0 && (magnitude >= 1e6 || magnitude < 1e-3)) return formatText("%.*e", digits - 1, value);
    // Fixed notation with `digits` significant digits, at least none after the point.
    const int integerDigits = magnitude < 1.0 ? 1 : static_cast<int>(std::floor(std::log10(magnitude))) + 1;
    const int decimals = magnitude < 1.0 ? digits : std::max(0, digits - integerDigits);
    return formatText("%.*f", decimals, value);
}

}  // namespace morvane
