// For programs that stand in for the host: exports every entry point that the plugin binds
// but never calls as an empty function, so that such a program offers the whole table.
// The program defines the entry points the plugin calls itself.
#pragma once

#include "host/hostEntryPoints.h"

#if defined(_WIN32)
#define QUORVEL_HOST_EXPORT __declspec(dllexport)
#else
#define QUORVEL_HOST_EXPORT __attribute__((visibility("default")))
#endif

#define QUORVEL_STUB_SKIP_TYPED(name, result, parameters)
#define QUORVEL_STUB_UNTYPED(name) extern "C" QUORVEL_HOST_EXPORT void name() {}

// Use once, at namespace scope, in one source file of the host program.
#define QUORVEL_DEFINE_UNTYPED_HOST_STUBS() \
    QUORVEL_HOST_ENTRY_POINTS(QUORVEL_STUB_SKIP_TYPED, QUORVEL_STUB_UNTYPED)
