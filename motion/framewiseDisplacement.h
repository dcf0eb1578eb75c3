// Framewise displacement (Power et al., 2012) from a motion file as the host's motion
// correction writes it: translations X, Y, Z in mm, then rotations X, Y, Z in degrees.
#pragma once

#include <string>
#include <vector>

#include "formats/motionColumns.h"
#include "formats/parseResult.h"
#include "formats/sdmFile.h"

namespace morvane {

// The columns a motion file is read for: the six the host's motion correction writes.
inline constexpr int motionParameterCount = static_cast<int>(hostMotionColumns.size());

// "" when the motion file holds those six columns (more are ignored), else the reason.
std::string motionColumnsProblem(const SdmContent& motion);

// Rotations become arc lengths on a sphere of this radius, which stands for the head.
inline constexpr double headRadiusMm = 50.0;

// A motion file read as SDM, or as RTC when its path names one (".rtc"), as the run check does.
ParseResult<SdmContent> readMotionFile(const std::string& path);

// FD of the first `points` volumes (fewer when the file holds fewer): volume 1 is 0, volume
// t ≥ 2 is |Δtx| + |Δty| + |Δtz| + headRadiusMm · (|Δrx| + |Δry| + |Δrz|) with the rotation
// differences in radians. Fails when the file has fewer than six columns.
ParseResult<std::vector<double>> framewiseDisplacement(const SdmContent& motion, int points);

}  // namespace morvane
