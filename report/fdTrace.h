// Framewise displacement over the run as a line, with the threshold drawn across it and the
// volumes above it marked along the bottom.
#pragma once

#include <string>

#include "report/runReport.h"

namespace morvane {

// Inline SVG; "" when the series is empty.
std::string fdTrace(const MotionFigures& motion, double thresholdMm);

}  // namespace morvane
