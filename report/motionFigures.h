// Framewise displacement of one protocol group, summarised for the report from its motion file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "report/runReport.h"

namespace morvane {

// Mean and largest FD over volumes 2 to n, and how many volumes lie strictly above the
// threshold; empty for fewer than two volumes or a value that is not a finite number.
std::optional<MotionFigures> summariseDisplacement(std::vector<double> series, double thresholdMm);

struct GroupMotion {
    std::optional<MotionFigures> figures;
    std::vector<std::string> notes;  // why there are none, or why they cover fewer volumes
};

// FD from the motion file at `path` (shown as `shownPath` in notes) over its first `points`
// volumes, or over all of them when `points` is empty (a group without a design matrix).
GroupMotion groupMotion(const std::string& path, const std::string& shownPath, std::optional<int> points,
                        double thresholdMm);

}  // namespace morvane
