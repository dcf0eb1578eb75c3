// The design matrix as researchers know it from their plotting tools: one column per
// predictor in grey levels, time running down, the names above, the task, confound and
// constant blocks marked.
#pragma once

#include <string>
#include <vector>

#include "formats/sdmFile.h"
#include "report/pngImage.h"
#include "report/runReport.h"

namespace morvane {

// The most pixel rows of the cells; longer runs are averaged down to this, so that the
// picture never has more rows than it is shown with.
inline constexpr int designMatrixPixelRows = 560;

// One grey pixel per value, a row per volume (at most `mostRows`, longer runs averaged over
// the volumes each row covers). Each column is scaled to its largest |value|: a column that
// never goes below 0 runs from black (0) to white (its largest value), any other from black
// (-largest |value|) through middle grey (0) to white. A column of zeros is black, values
// that are not finite are drawn as 0. Empty when the matrix has no rows or columns or its
// values do not fill it.
RasterImage designMatrixCells(const SdmContent& matrix, int mostRows = designMatrixPixelRows);

// The picture as inline SVG, "" when there is nothing to draw. `predictors` gives the kinds
// of the columns (no block marks when it does not match the matrix).
std::string designMatrixPicture(const SdmContent& matrix, const std::vector<PredictorFigures>& predictors);

}  // namespace morvane
