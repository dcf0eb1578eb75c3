// The correlation matrix as a heat map: a diverging scale from blue (-1) through near-white
// (0) to red (+1), a legend, and the rows and columns without a correlation (the constant,
// columns without variance) in neutral grey under a hatch.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "report/pngImage.h"
#include "report/runReport.h"

namespace morvane {

using Colour = std::array<std::uint8_t, 3>;

// The scale's colour of r (clamped to [-1, 1]); the neutral grey for no value or NaN.
Colour correlationColour(std::optional<double> r);
inline constexpr Colour noCorrelationColour{190, 190, 190};

// One RGB pixel per pair, row i column j for r(i, j); empty unless the matrix is square.
RasterImage correlationCells(const std::vector<std::vector<std::optional<double>>>& correlation);

// The heat map with names and legend as inline SVG; "" when the run has no correlation matrix
// matching its predictors. Uses the page's shared gradient and hatch (correlationDefinitions).
std::string correlationHeatMap(const RunReport& run);

// The SVG definitions the heat maps refer to, once per page.
std::string correlationDefinitions();

}  // namespace morvane
