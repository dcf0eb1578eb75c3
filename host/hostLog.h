// One entry in the host's log pane.
#pragma once

#include <string>

#include "host/hostFunctionTable.h"

inline void logText(const std::string& text) { hostFunctions.zrLogText(text.c_str()); }
