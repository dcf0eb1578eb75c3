// The motion estimates of a preprocessing pipeline's confound table (BIDS derivatives,
// "*_desc-confounds_timeseries.tsv") as the motion file the host's motion correction writes.
#pragma once

#include <string>
#include <vector>

#include "formats/parseResult.h"
#include "formats/sdmFile.h"
#include "formats/tsvTable.h"

namespace morvane {

// The table's columns that become the host's six motion columns, in the host's order:
// translations in millimetres, rotations in radians.
inline constexpr const char* confoundMotionColumns[6] = {"trans_x", "trans_y", "trans_z", "rot_x", "rot_y", "rot_z"};

struct ImportedMotion {
    SdmContent motion;
    std::vector<std::string> warnings;  // each names the table
};

// An SDM of the table's rows: the host's six names and colours, IncludesConstant 0,
// FirstConfoundPredictor 1, rotations in degrees. n/a is taken (as 0) in the first row only,
// where pipelines put it for values that need a volume before; a missing column, an n/a
// elsewhere, any other cell that is no number and a table without rows are refused, naming
// table, line and column.
ParseResult<ImportedMotion> motionFromConfounds(const TsvTable& confounds);

}  // namespace morvane
