// The flags a protocol group can carry in the report, under the names the JSON file, the page
// and --fail-on use, and the rules that raise them.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/runReport.h"

namespace morvane {

// In the order a group lists them.
inline constexpr std::array<std::string_view, 7> reportFlagNames{
    "failed",                     // the run did not produce the group's outputs, or they cannot be used
    "missing",                    // outputs that should lie beside the list's files are not there
    "rank-deficient",             // the columns are linearly dependent
    "empty-condition",            // a task column without variance
    "high-vif",                   // a task VIF above the limit, or infinite
    "task-confound-correlation",  // a task column's |r| with a confound above the limit
    "high-motion",                // FD above the threshold in more than 20 % of volumes, or above 5 mm
};

inline constexpr double motionShareLimit = 0.2;  // of the volumes that have an FD
inline constexpr double motionSpikeMm = 5.0;

bool isReportFlag(std::string_view name);

// "failed, missing, ..." for messages.
std::string reportFlagList();

// The flags of a group whose status, figures and FD are filled in, in reportFlagNames order.
std::vector<std::string> runFlags(const RunReport& run, const ReportSettings& settings);

}  // namespace morvane
