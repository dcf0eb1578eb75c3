// The Windows API for morvane's Windows parts, without the min and max macros that would
// clash with the standard library and without the parts morvane does not use.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
