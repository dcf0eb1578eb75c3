#include "report/columnLabels.h"

#include <algorithm>
#include <cmath>

#include "formats/textFormat.h"
#include "report/htmlText.h"
#include "report/svgNumbers.h"

namespace morvane {

namespace {

constexpr std::size_t longestLabel = 24;   // characters shown; the tooltip has the rest
constexpr double largestFont = 11.0;       // px; smaller where the columns are narrower
constexpr double characterWidth = 0.56;    // of the font size, on average
constexpr double slant = 60.0;             // degrees above the horizontal
const double slantSin = std::sin(slant * 3.14159265358979 / 180.0);
const double slantCos = std::cos(slant * 3.14159265358979 / 180.0);

// The font that lets labels `pitch` apart stay clear of each other.
double labelFont(double pitch) { return std::clamp(std::floor(pitch) - 1.0, 6.0, largestFont); }

double labelLength(const std::string& name, double font) {
    std::size_t characters = 0;
    for (const char c : shortenedText(name, longestLabel))
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    return static_cast<double>(characters) * characterWidth * font;
}

std::string label(const std::string& name) {
    return escapeHtml(shortenedText(name, longestLabel));
}

}  // namespace

ColumnLabels columnLabels(const std::vector<std::string>& names, double x0, double width, double baseline) {
    ColumnLabels labels;
    const double font = labelFont(width * slantSin);
    labels.markup = formatText("<g class=\"label\" font-size=\"%g\">", font);
    const double columnsEnd = x0 + width * static_cast<double>(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const double length = labelLength(names[i], font);
        const double x = x0 + width * (static_cast<double>(i) + 0.5) + 3.0;
        labels.height = std::max(labels.height, length * slantSin + 6.0);
        labels.overhang = std::max(labels.overhang, x + length * slantCos - columnsEnd);
        labels.markup += formatText("<text transform=\"translate(%s %s) rotate(-%g)\">%s<title>%s</title></text>",
                                    svgNumber(x).c_str(), svgNumber(baseline - 2.0).c_str(), slant,
                                    label(names[i]).c_str(), escapeHtml(names[i]).c_str());
    }
    labels.markup += "</g>";
    return labels;
}

std::string rowLabels(const std::vector<std::string>& names, double x, double y0, double height) {
    std::string markup = formatText("<g class=\"label\" font-size=\"%g\">", labelFont(height));
    for (std::size_t i = 0; i < names.size(); ++i) {
        markup += formatText("<text x=\"%s\" y=\"%s\" text-anchor=\"end\" dominant-baseline=\"middle\">%s<title>%s</title></text>",
                             svgNumber(x).c_str(), svgNumber(y0 + height * (static_cast<double>(i) + 0.5)).c_str(),
                             label(names[i]).c_str(), escapeHtml(names[i]).c_str());
    }
    return markup + "</g>";
}

double rowLabelWidth(const std::vector<std::string>& names, double height) {
    double widest = 0;
    for (const std::string& name : names) widest = std::max(widest, labelLength(name, labelFont(height)));
    return widest;
}

}  // namespace morvane
