// The host's entry points that the plugin calls but the bound table holds no address for.
#pragma once

#include <vector>

#include "host/hostFunctionTable.h"

// In table order; empty when every entry a run calls is there.
std::vector<const char*> missingCalledHostFunctions(const HostFunctionTable& table);
