// Where the report of each protocol group takes its figures from after a batch run: the design
// matrices this run saved and added, the run check's verdict and the plugin's log of the group.
#pragma once

#include <vector>

#include "headless/runOutcome.h"
#include "report/groupSources.h"

namespace morvane {

// One entry per listed group, in list order. The run works in the list's folder, so the
// paths are taken as they are.
std::vector<GroupSources> sourcesOfRun(const RunOutcome& outcome);

}  // namespace morvane
