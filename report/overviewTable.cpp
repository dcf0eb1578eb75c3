// The overview: one row per protocol group, sortable, each linking to its section.
#include <cmath>

#include "formats/textFormat.h"
#include "report/htmlText.h"
#include "report/pageParts.h"
#include "report/runSummary.h"
#include "report/svgNumbers.h"

namespace morvane {

namespace {

// A number cell: the text shown and the value the script sorts by ("" sorts last).
std::string numberCell(const std::optional<double>& value, const std::string& text, bool warn = false) {
    if (!value) return "<td class=\"number none\" data-v=\"\">\xE2\x80\x94</td>";
    const std::string sortValue = std::isinf(*value) ? (*value > 0 ? "Infinity" : "-Infinity") : formatText("%.17g", *value);
    return formatText("<td class=\"number%s\" data-v=\"%s\">%s</td>", warn ? " warn" : "", sortValue.c_str(), text.c_str());
}

std::string overviewRow(const RunReport& run, std::size_t index, const ReportSettings& settings) {
    const bool ok = run.status == RunStatus::Ok;
    std::string row = "<tr>";
    row += formatText("<td class=\"number\" data-v=\"%zu\">%zu</td>", index + 1, index + 1);
    row += formatText("<td><a href=\"#%s\" class=\"path\">%s</a></td>", runAnchor(index).c_str(), escapeHtml(run.protocol).c_str());
    row += formatText("<td class=\"path\">%s</td>", escapeHtml(run.timeCourse).c_str());
    row += formatText("<td data-v=\"%d\"><span class=\"badge status-%s\">%s</span></td>", static_cast<int>(run.status),
                      statusWord(run.status), statusWord(run.status));
    const auto count = [&](int n) { return ok ? std::optional<double>(n) : std::nullopt; };
    row += numberCell(count(run.rows), std::to_string(run.rows));
    row += numberCell(count(static_cast<int>(run.predictors.size())), std::to_string(run.predictors.size()));
    const std::optional<double> vif = ok ? largestVif(run) : std::nullopt;
    row += numberCell(vif, vif ? figureText(*vif, 3) : "", vif && *vif > settings.vifLimit);
    const std::optional<double> condition = ok ? run.conditionNumber : std::nullopt;
    if (ok && !condition && run.rank)
        row += "<td class=\"number warn\" data-v=\"Infinity\" title=\"rank-deficient\">\xE2\x88\x9E</td>";
    else
        row += numberCell(condition, condition ? figureText(*condition, 3) : "");
    const std::optional<double> r = ok ? largestConfoundCorrelation(run) : std::nullopt;
    row += numberCell(r, r ? formatText("%.2f", *r) : "", r && *r > settings.correlationLimit);
    const std::optional<double> fd =
        ok && run.framewiseDisplacement ? std::optional<double>(run.framewiseDisplacement->mean) : std::nullopt;
    row += numberCell(fd, fd ? formatText("%.3f", *fd) : "");
    row += formatText("<td data-v=\"%zu\">%s</td>", run.flags.size(), flagBadges(run, settings).c_str());
    return row + "</tr>\n";
}

}  // namespace

std::string flagBadges(const RunReport& run, const ReportSettings& settings) {
    std::string badges;
    for (const std::string& flag : run.flags) {
        if (run.status != RunStatus::Ok && flag == statusWord(run.status)) continue;  // its status badge says it
        const std::string meaning = flagMeaning(flag, settings);
        badges += formatText("<span class=\"badge flag-%s\"%s%s%s>%s</span>", flagClass(flag).c_str(),
                             meaning.empty() ? "" : " title=\"", escapeHtml(meaning).c_str(), meaning.empty() ? "" : "\"",
                             escapeHtml(flag).c_str());
    }
    return badges;
}

std::string overviewTable(const StudyReport& report) {
    std::string html =
        "<div class=\"table-wrap\"><table class=\"overview sortable\" id=\"overview-table\"><thead><tr>"
        "<th class=\"number\" data-sort=\"number\">#</th>"
        "<th data-sort=\"text\">protocol</th>"
        "<th data-sort=\"text\">time<br>course</th>"
        "<th data-sort=\"number\">status</th>"
        "<th class=\"number\" data-sort=\"number\">rows</th>"
        "<th class=\"number\" data-sort=\"number\">predictors</th>"
        "<th class=\"number\" data-sort=\"number\" title=\"largest variance inflation factor of a task predictor\">largest<br>VIF</th>"
        "<th class=\"number\" data-sort=\"number\" title=\"of the design matrix with unit-norm columns\">condition<br>number</th>"
        "<th class=\"number\" data-sort=\"number\" title=\"largest |r| between a task predictor and a confound\">task\xE2\x80\x93" "confound<br>|r|</th>"
        "<th class=\"number\" data-sort=\"number\" title=\"mean framewise displacement\">mean FD<br>(mm)</th>"
        "<th data-sort=\"number\">flags</th>"
        "</tr></thead><tbody>\n";
    for (std::size_t i = 0; i < report.runs.size(); ++i) html += overviewRow(report.runs[i], i, report.settings);
    return html + "</tbody></table></div>\n";
}

}  // namespace morvane
