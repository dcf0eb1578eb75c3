// What the page says about a group in words and short figures: its status, its largest VIF
// and task-confound correlation, each task predictor's VIF, and what each flag means.
#pragma once

#include <optional>
#include <string>

#include "report/runReport.h"

namespace morvane {

// A task predictor's VIF for the page: the number, "∞" where the others reproduce it, "no
// variance" for a column of one value; its value for sorting (infinite as +inf, else empty).
struct VifFigure {
    std::string text;
    std::optional<double> value;
};
VifFigure vifFigure(const RunReport& run, std::size_t predictor);

// Over the task predictors: the largest VIF (+inf when any is infinite) and the largest
// |r| with a confound; empty when there is none.
std::optional<double> largestVif(const RunReport& run);
std::optional<double> largestConfoundCorrelation(const RunReport& run);

// How many columns of each kind.
int columnsOfKind(const RunReport& run, ColumnKind kind);

// One sentence on when the flag is raised, with the settings' limits; "" for a flag the page
// does not know.
std::string flagMeaning(const std::string& flag, const ReportSettings& settings);

// The flag as a CSS class name: its letters, digits and hyphens only.
std::string flagClass(const std::string& flag);

}  // namespace morvane
