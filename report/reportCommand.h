// The report on morvane's command line: the subcommand `morvane report`, which reports on the
// outputs beside a list's files, and the batch run's --report, which reports on the run just
// done; both with the same thresholds and --fail-on.
#pragma once

#include "headless/commandHooks.h"

namespace morvane {

// `morvane report` exits with this when a group carries a flag named by --fail-on.
inline constexpr int exitFlagged = 4;

ChosenWorkOf addReportCommands(CLI::App& app);

}  // namespace morvane
