// The names of the host's entry points, in table order, as one array.
#pragma once

#include <cstddef>

#include "host/hostEntryPoints.h"

inline constexpr const char* hostEntryPointNames[] = {
#define QUORVEL_NAME_TYPED(name, result, parameters) #name,
#define QUORVEL_NAME_UNTYPED(name) #name,
    QUORVEL_HOST_ENTRY_POINTS(QUORVEL_NAME_TYPED, QUORVEL_NAME_UNTYPED)
#undef QUORVEL_NAME_TYPED
#undef QUORVEL_NAME_UNTYPED
};

inline constexpr std::size_t hostEntryPointCount =
    sizeof(hostEntryPointNames) / sizeof(hostEntryPointNames[0]);
