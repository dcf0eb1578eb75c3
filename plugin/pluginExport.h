// Marks what the module shows the host: the seven plugin functions and the two classes.
// Everything else stays inside the module.
#pragma once

#if defined(_WIN32)
#if defined(QUORVEL_BUILDING_MODULE)
#define QUORVEL_EXPORT __declspec(dllexport)
#else
#define QUORVEL_EXPORT __declspec(dllimport)
#endif
#else
#define QUORVEL_EXPORT __attribute__((visibility("default")))
#endif
