// The confound models on morvane's command line: the batch run's --motion-model and
// --spikes-fd, and the `confounds` subcommand.
#pragma once

#include "headless/commandHooks.h"

namespace morvane {

ChosenWorkOf addConfoundModelCommands(CLI::App& app);

}  // namespace morvane
