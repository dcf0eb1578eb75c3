// The parts the report's page is put together from (reportPage.cpp joins them).
#pragma once

#include <string>

#include "report/reportPage.h"

namespace morvane {

// The page's inline style sheet and its sorting script (plain text, nothing from files).
const char* pageStyle();
const char* pageScript();

// The id of a group's section, by its 0-based place in the list: "run-1", "run-2", ...
std::string runAnchor(std::size_t index);

// The table of every group, one row each, sortable by the script and linking to the sections.
std::string overviewTable(const StudyReport& report);

// One group's section: its heading, status, figures, pictures, VIF table and log.
std::string runSection(const RunReport& run, std::size_t index, const RunPictures& pictures, const ReportSettings& settings);

// The group's flags as coloured badges, each explained in its tooltip; "failed" and "missing"
// only as the status badge.
std::string flagBadges(const RunReport& run, const ReportSettings& settings);

}  // namespace morvane
