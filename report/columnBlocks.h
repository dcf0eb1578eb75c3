// The task, confound and constant blocks of a design matrix as the pictures mark them: runs
// of neighbouring columns of one kind, with the colour and word each kind is drawn with.
#pragma once

#include <string>
#include <vector>

#include "report/runReport.h"

namespace morvane {

struct ColumnBlock {
    ColumnKind kind = ColumnKind::Task;
    int first = 0;  // 0-based column
    int count = 0;
};

// The blocks in column order; empty when the predictors are not one per column.
std::vector<ColumnBlock> columnBlocks(const std::vector<PredictorFigures>& predictors, int columns);

const char* kindColour(ColumnKind kind);  // "#rrggbb"

// The SVG markup of the marks above a row of columns: a band in each block's colour from x0,
// `width` per column, at height y; each block's word in the band's <title>.
std::string blockBand(const std::vector<ColumnBlock>& blocks, double x0, double width, double y, double height);

}  // namespace morvane
