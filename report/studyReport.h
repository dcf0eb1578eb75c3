// The report of a whole list, built one protocol group at a time by each of a few workers (its
// design matrix read, its figures computed and its pictures drawn, then the matrix dropped),
// and written as the page and the JSON file beside it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "report/groupSources.h"
#include "report/reportPage.h"
#include "report/runReport.h"

namespace morvane {

// The figures, flags and pictures of one group.
RunReport reportGroup(const GroupSources& sources, const ReportSettings& settings, RunPictures& pictures);

// FILE.html -> FILE.json (any other extension is replaced too; none gains one).
std::string jsonPathBeside(const std::string& pagePath);

// Whether the file begins as the JSON file of a report does, so that replacing it loses
// nothing but an earlier report.
bool isStudyReportJson(const std::string& path);

struct WrittenReport {
    StudyReport report;
    std::string error;  // "" when both files were written
};

// Called after each group with the number done and the total.
using ReportProgress = std::function<void(std::size_t done, std::size_t total)>;

// Groups reported at once, each by a thread of its own (fewer on a machine with fewer cores).
inline constexpr std::size_t maximumReportWorkers = 4;

// Reports every group and replaces the page and the JSON file atomically.
WrittenReport writeStudyReport(const std::vector<GroupSources>& groups, const std::string& listPath,
                               const ReportSettings& settings, const std::string& pagePath,
                               const ReportProgress& progress = {});

// One line for standard error: how many groups, how many failed, missing or flagged.
std::string reportSummary(const StudyReport& report, const std::string& pagePath);

}  // namespace morvane
