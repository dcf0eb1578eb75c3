// The capabilities that join morvane's command line with their subcommands and options.
#pragma once

#include <vector>

#include "headless/commandHooks.h"

namespace morvane {

// In the order their work runs after a batch run.
std::vector<AddCommands> morvaneCapabilities();

}  // namespace morvane
