// The module-wide table of the host's entry points, filled by name when the plugin is
// initialised. Every host call goes through it.
#pragma once

#include "host/hostEntryPoints.h"
#include "host/hostRecords.h"

// Entries the plugin never calls keep only their address.
using UntypedHostFunction = void (*)();

struct HostFunctionTable {
#define QUORVEL_TABLE_TYPED(name, result, parameters) result(*name) parameters = nullptr;
#define QUORVEL_TABLE_UNTYPED(name) UntypedHostFunction name = nullptr;
    QUORVEL_HOST_ENTRY_POINTS(QUORVEL_TABLE_TYPED, QUORVEL_TABLE_UNTYPED)
#undef QUORVEL_TABLE_TYPED
#undef QUORVEL_TABLE_UNTYPED
};

extern HostFunctionTable hostFunctions;
