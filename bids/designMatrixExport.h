// Design matrices (SDM, or RTC) as the tables that Python's tools and FSL read.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "formats/parseResult.h"
#include "formats/sdmFile.h"

namespace morvane {

// An SDM, or an RTC when the text is one (its second header key is "Type:"), as the plugin,
// the host and morvane write them.
ParseResult<SdmContent> parseDesignMatrix(std::string_view text);

// The column that is the constant: with IncludesConstant set, the last column whose values
// are all alike and not 0, preferring one named "Constant"; none without it.
std::optional<std::size_t> constantColumn(const SdmContent& matrix);

// A header line of the predictor names (the constant named "constant"), then one line per
// data point, cells apart by tabs, each number in the shortest text that reads back to the
// same double. Refused: a name with a tab, a line break or nothing in it, a value that is
// no finite number.
ParseResult<std::string> designMatrixTsv(const SdmContent& matrix);

// FSL's design-matrix text: /NumWaves, /NumPoints, /PPheights (each column's largest minus
// smallest value), /Matrix and its rows, without the constant, which FSL models itself.
// Refused: a matrix of the constant alone, a value that is no finite number.
ParseResult<std::string> designMatrixFsl(const SdmContent& matrix);

}  // namespace morvane
