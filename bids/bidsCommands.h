// morvane's bridges to the BIDS world: `import events` (events table to protocol), `import
// confounds` (confound table to motion file) and `export` (design matrix to a tab-separated
// table or FSL's layout).
#pragma once

#include "headless/commandHooks.h"

namespace morvane {

ChosenWorkOf addBidsCommands(CLI::App& app);

}  // namespace morvane
