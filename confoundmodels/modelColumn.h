// A column that a confound model adds to a design matrix: its name, its colour and its values.
#pragma once

#include <string>
#include <vector>

#include "formats/protocolFile.h"

namespace morvane {

struct ModelColumn {
    std::string name;
    Rgb color;
    // Over every point of its source (a motion file may hold more points than the design
    // matrix; the first NrOfDataPoints are written).
    std::vector<double> values;
};

}  // namespace morvane
