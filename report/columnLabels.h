// Predictor names above a row of columns, slanted as in the usual design-matrix plots, in the
// pictures' SVG markup; each keeps its whole name as a tooltip.
#pragma once

#include <string>
#include <vector>

namespace morvane {

struct ColumnLabels {
    std::string markup;
    double height = 0;      // room the labels need above their base line
    double overhang = 0;    // how far the last labels reach right of the columns' end
};

// Labels for columns of `width` from x0, their base line at `baseline` (the caller first asks
// with baseline 0 for the room, then draws with the real one).
ColumnLabels columnLabels(const std::vector<std::string>& names, double x0, double width, double baseline);

// The same names along the left of rows of `height` from y0, right-aligned at x; and the width
// they need. Labels of narrow columns or rows are set smaller, down to 6 px.
std::string rowLabels(const std::vector<std::string>& names, double x, double y0, double height);
double rowLabelWidth(const std::vector<std::string>& names, double height);

}  // namespace morvane
