// The collinearity figures of one design matrix: the kind of each column, Pearson r between
// every pair of columns, each task column's variance inflation factor and its strongest
// confound, and the rank and condition number of the columns scaled to unit length.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "formats/parseResult.h"
#include "formats/sdmFile.h"
#include "report/runReport.h"

namespace morvane {

// 1 − R² at or below this counts as R² = 1: the column is a combination of the others.
inline constexpr double perfectFitTolerance = 1e-10;

struct MatrixFigures {
    std::vector<PredictorFigures> predictors;
    std::vector<std::vector<std::optional<double>>> correlation;
    std::optional<int> rank;
    std::optional<double> conditionNumber;
    int nonZeroColumns = 0;
};

// Readies the decompositions for threads that compute figures at once (Eigen's shared settings
// are made before the threads start); called before they start.
void prepareFiguresForThreads();

// Task for the columns before FirstConfoundPredictor, constant for the last column when
// IncludesConstant is 1, confound for the rest.
std::vector<ColumnKind> columnKinds(const SdmContent& matrix);

// The figures of the matrix; fails, naming the first such value, when a value is not a finite
// number, since none of the figures would mean anything then.
ParseResult<MatrixFigures> matrixFigures(const SdmContent& matrix);

}  // namespace morvane
