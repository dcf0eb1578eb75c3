// The report's page: one self-contained HTML file (styles, pictures and the little sorting
// script inline, no address outside the file) with an overview of every protocol group and a
// section per group with its pictures and tables.
#pragma once

#include <string>
#include <vector>

#include "formats/sdmFile.h"
#include "report/runReport.h"

namespace morvane {

// The pictures of one group, ready to go into the page as inline SVG markup (raster cells as
// embedded PNG data). Each is "" when the group has nothing to draw, e.g. a failed group or
// one without a motion file. Drawn per group so that its design matrix can be freed before
// the next one is read.
struct RunPictures {
    std::string designMatrix;           // grey columns over time, names above, blocks marked
    std::string correlation;            // heat map of Pearson r with its colour legend
    std::string framewiseDisplacement;  // FD trace with the threshold
};

// `matrix` is the design matrix the figures come from; null when there is none.
RunPictures drawRunPictures(const RunReport& run, const SdmContent* matrix, const ReportSettings& settings);

// The whole page; `pictures` holds one entry per run of `report`, in the same order (missing
// entries are drawn as groups without pictures).
std::string reportPage(const StudyReport& report, const std::vector<RunPictures>& pictures);

}  // namespace morvane
