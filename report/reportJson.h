// The report as a JSON file: every figure as a JSON number, null where it is undefined (never
// NaN or infinity), texts that are no valid UTF-8 with U+FFFD in place of the broken bytes.
#pragma once

#include <string>

#include "report/runReport.h"

namespace morvane {

std::string reportJson(const StudyReport& report);

}  // namespace morvane
