// What initPlugin does, against a given way of reaching the host.
#pragma once

#include "host/bindHostFunctions.h"

// Binds the module-wide host function table, refuses hosts older than 2.9.5 with a message
// box, and refuses hosts that lack an entry point a run calls, naming it. Returns whether
// the host may run the plugin. No host call goes through an empty entry.
bool initPluginWith(const HostLookup& lookup);
