// Extra confound columns from a tab-separated table with a header line, such as the
// confounds table of a preprocessing pipeline (white matter, CSF, CompCor components).
#pragma once

#include <string>
#include <vector>

#include "confoundmodels/modelColumn.h"
#include "formats/parseResult.h"
#include "formats/tsvTable.h"

namespace morvane {

// The columns the names choose, in the order of the names; a name that ends in '*' takes
// every column that starts with the rest, in table order. A column chosen twice is taken once.
// Each holds the first `rows` values of its column: "n/a" in the first row (where derivative
// columns have no value) reads as 0, anywhere else it is refused like any other text that
// is no number, with the table's line and column. A table with fewer rows is refused; one
// with more adds a warning.
ParseResult<std::vector<ModelColumn>> extraColumnsOf(const TsvTable& table, const std::vector<std::string>& names,
                                                     int rows, std::vector<std::string>& warnings);

}  // namespace morvane
