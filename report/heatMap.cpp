#include "report/heatMap.h"

#include <algorithm>
#include <cmath>

#include "formats/textFormat.h"
#include "report/columnBlocks.h"
#include "report/columnLabels.h"
#include "report/svgNumbers.h"

namespace morvane {

namespace {

struct ScaleStop {
    double r;
    Colour colour;
};

// The diverging scale, blue to red through near-white; the legend's gradient is made of the
// same stops.
constexpr std::array<ScaleStop, 5> scale{{
    {-1.0, {5, 113, 176}},
    {-0.5, {146, 197, 222}},
    {0.0, {247, 247, 247}},
    {0.5, {244, 165, 130}},
    {1.0, {202, 0, 32}},
}};

bool rowIsEmpty(const std::vector<std::optional<double>>& row) {
    return std::none_of(row.begin(), row.end(), [](const std::optional<double>& r) { return r.has_value(); });
}

}  // namespace

Colour correlationColour(std::optional<double> r) {
    if (!r || std::isnan(*r)) return noCorrelationColour;
    const double value = std::clamp(*r, -1.0, 1.0);
    std::size_t upper = 1;
    while (upper + 1 < scale.size() && value > scale[upper].r) ++upper;
    const ScaleStop& a = scale[upper - 1];
    const ScaleStop& b = scale[upper];
    const double t = (value - a.r) / (b.r - a.r);
    Colour colour{};
    for (std::size_t channel = 0; channel < 3; ++channel)
        colour[channel] = static_cast<std::uint8_t>(std::lround(a.colour[channel] + t * (b.colour[channel] - a.colour[channel])));
    return colour;
}

RasterImage correlationCells(const std::vector<std::vector<std::optional<double>>>& correlation) {
    RasterImage image;
    const std::size_t size = correlation.size();
    if (size == 0) return image;
    for (const auto& row : correlation)
        if (row.size() != size) return image;
    image.width = image.height = static_cast<int>(size);
    image.channels = 3;
    image.pixels.reserve(size * size * 3);
    for (const auto& row : correlation)
        for (const auto& r : row) {
            const Colour colour = correlationColour(r);
            image.pixels.insert(image.pixels.end(), colour.begin(), colour.end());
        }
    return image;
}

std::string correlationDefinitions() {
    std::string svg = "<linearGradient id=\"correlation-scale\" x1=\"0\" y1=\"1\" x2=\"0\" y2=\"0\">";
    for (const ScaleStop& stop : scale)
        svg += formatText("<stop offset=\"%g\" stop-color=\"rgb(%d,%d,%d)\"/>", (stop.r + 1.0) / 2.0, stop.colour[0],
                          stop.colour[1], stop.colour[2]);
    svg += "</linearGradient>";
    svg += formatText("<pattern id=\"no-correlation\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" patternTransform=\"rotate(45)\">"
                      "<rect width=\"6\" height=\"6\" fill=\"rgb(%d,%d,%d)\"/><line x1=\"0\" y1=\"0\" x2=\"0\" y2=\"6\" stroke=\"#8a8a8a\" stroke-width=\"2\"/></pattern>",
                      noCorrelationColour[0], noCorrelationColour[1], noCorrelationColour[2]);
    return svg;
}

std::string correlationHeatMap(const RunReport& run) {
    const RasterImage cells = correlationCells(run.correlation);
    if (cells.pixels.empty() || run.predictors.size() != run.correlation.size()) return {};
    const auto cellsUri = pngDataUri(cells);
    if (!cellsUri) return {};

    const int size = cells.width;
    std::vector<std::string> names;
    for (const PredictorFigures& predictor : run.predictors) names.push_back(predictor.name);
    const double cell = std::clamp(std::floor(480.0 / size), 2.0, 20.0);
    const double left = rowLabelWidth(names, cell) + 12.0;
    const ColumnLabels room = columnLabels(names, left, cell, 0.0);
    const double band = room.height + 4.0;
    const double top = band + 8.0;
    const double side = cell * size;
    const double legendX = left + side + std::max(room.overhang, 0.0) + 16.0;
    const double svgWidth = legendX + 120.0;
    const double svgHeight = std::max(top + side + 14.0, top + 230.0);
    const std::vector<ColumnBlock> blocks = columnBlocks(run.predictors, size);

    std::string svg = formatText(
        "<svg class=\"heat-map\" width=\"%s\" height=\"%s\" viewBox=\"0 0 %s %s\" role=\"img\">"
        "<title>Correlation between the predictors (Pearson r)</title>",
        svgNumber(svgWidth).c_str(), svgNumber(svgHeight).c_str(), svgNumber(svgWidth).c_str(), svgNumber(svgHeight).c_str());
    svg += columnLabels(names, left, cell, room.height).markup;
    svg += rowLabels(names, left - 10.0, top, cell);
    svg += blockBand(blocks, left, cell, band, 5.0);
    // The same blocks down the left, beside the names.
    for (const ColumnBlock& block : blocks)
        svg += formatText("<rect x=\"%s\" y=\"%s\" width=\"5\" height=\"%s\" fill=\"%s\"/>", svgNumber(left - 7.0).c_str(),
                          svgNumber(top + block.first * cell).c_str(), svgNumber(block.count * cell).c_str(),
                          kindColour(block.kind));
    svg += formatText("<image class=\"cells\" x=\"%s\" y=\"%s\" width=\"%s\" height=\"%s\" preserveAspectRatio=\"none\" href=\"",
                      svgNumber(left).c_str(), svgNumber(top).c_str(), svgNumber(side).c_str(), svgNumber(side).c_str());
    svg += *cellsUri.value;
    svg += "\"/>";
    // Rows and columns without a correlation under the hatch, so that they cannot be read as r = 0.
    for (int i = 0; i < size; ++i) {
        if (!rowIsEmpty(run.correlation[static_cast<std::size_t>(i)])) continue;
        svg += formatText("<rect x=\"%s\" y=\"%s\" width=\"%s\" height=\"%s\" fill=\"url(#no-correlation)\"/>"
                          "<rect x=\"%s\" y=\"%s\" width=\"%s\" height=\"%s\" fill=\"url(#no-correlation)\"/>",
                          svgNumber(left).c_str(), svgNumber(top + i * cell).c_str(), svgNumber(side).c_str(), svgNumber(cell).c_str(),
                          svgNumber(left + i * cell).c_str(), svgNumber(top).c_str(), svgNumber(cell).c_str(), svgNumber(side).c_str());
    }
    svg += formatText("<rect x=\"%s\" y=\"%s\" width=\"%s\" height=\"%s\" fill=\"none\" stroke=\"#999\" stroke-width=\"0.5\"/>",
                      svgNumber(left).c_str(), svgNumber(top).c_str(), svgNumber(side).c_str(), svgNumber(side).c_str());

    // The legend: the scale from -1 (bottom) to +1 (top), then the hatch.
    const double barTop = top + 4.0, barHeight = 160.0;
    svg += formatText("<text class=\"axis\" x=\"%s\" y=\"%s\">Pearson r</text>", svgNumber(legendX).c_str(),
                      svgNumber(barTop - 8.0).c_str());
    svg += formatText("<rect x=\"%s\" y=\"%s\" width=\"14\" height=\"%s\" fill=\"url(#correlation-scale)\" stroke=\"#999\" stroke-width=\"0.5\"/>",
                      svgNumber(legendX).c_str(), svgNumber(barTop + 6.0).c_str(), svgNumber(barHeight).c_str());
    for (const double r : {1.0, 0.5, 0.0, -0.5, -1.0}) {
        const double y = barTop + 6.0 + (1.0 - r) / 2.0 * barHeight;
        svg += formatText("<line x1=\"%s\" y1=\"%s\" x2=\"%s\" y2=\"%s\" class=\"tick\"/><text class=\"axis\" x=\"%s\" y=\"%s\" dominant-baseline=\"middle\">%s</text>",
                          svgNumber(legendX + 14.0).c_str(), svgNumber(y).c_str(), svgNumber(legendX + 18.0).c_str(),
                          svgNumber(y).c_str(), svgNumber(legendX + 21.0).c_str(), svgNumber(y).c_str(),
                          r == 0.0 ? "0" : formatText("%+.1f", r).c_str());
    }
    const double hatchY = barTop + barHeight + 18.0;
    svg += formatText("<rect x=\"%s\" y=\"%s\" width=\"14\" height=\"14\" fill=\"url(#no-correlation)\" stroke=\"#999\" stroke-width=\"0.5\"/>"
                      "<text class=\"axis\" x=\"%s\" y=\"%s\" dominant-baseline=\"middle\">no r: constant</text>"
                      "<text class=\"axis\" x=\"%s\" y=\"%s\" dominant-baseline=\"middle\">or no variance</text>",
                      svgNumber(legendX).c_str(), svgNumber(hatchY).c_str(), svgNumber(legendX + 21.0).c_str(),
                      svgNumber(hatchY + 4.0).c_str(), svgNumber(legendX + 21.0).c_str(), svgNumber(hatchY + 17.0).c_str());
    svg += "</svg>";
    return svg;
}

}  // namespace morvane
