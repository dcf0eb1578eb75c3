// One protocol group's section of the page.
#include <cmath>

#include "formats/textFormat.h"
#include "report/htmlText.h"
#include "report/pageParts.h"
#include "report/runSummary.h"
#include "report/svgNumbers.h"

namespace morvane {

namespace {

std::string metaLine(const RunReport& run) {
    std::string html = "<p class=\"meta\">";
    if (!run.timeCourse.empty())
        html += "<span>time course <code>" + escapeHtml(run.timeCourse) + "</code></span>";
    if (!run.designMatrix.empty())
        html += "<span>design matrix <code>" + escapeHtml(run.designMatrix) + "</code></span>";
    if (run.status == RunStatus::Ok) {
        html += formatText("<span>%d volumes</span>", run.rows);
        html += formatText("<span>%zu predictors: %d task, %d confound, %d constant</span>", run.predictors.size(),
                           columnsOfKind(run, ColumnKind::Task), columnsOfKind(run, ColumnKind::Confound),
                           columnsOfKind(run, ColumnKind::Constant));
        if (run.rank) {
            // Of the columns that enter it: columns of zeros are left out.
            const int columns = run.nonZeroColumns > 0 ? run.nonZeroColumns : static_cast<int>(run.predictors.size());
            html += formatText("<span%s>rank %d of %d</span>", *run.rank >= columns ? "" : " class=\"warn\"", *run.rank, columns);
        }
        if (run.conditionNumber) html += "<span>condition number " + figureText(*run.conditionNumber, 3) + "</span>";
    }
    return html + "</p>\n";
}

std::string figure(const std::string& title, const std::string& picture, const std::string& caption) {
    return "<figure><h3>" + title + "</h3>" + picture + (caption.empty() ? "" : "<figcaption>" + caption + "</figcaption>") +
           "</figure>\n";
}

std::string vifTable(const RunReport& run, const ReportSettings& settings) {
    std::string rows;
    for (std::size_t i = 0; i < run.predictors.size(); ++i) {
        const PredictorFigures& predictor = run.predictors[i];
        if (predictor.kind != ColumnKind::Task) continue;
        const VifFigure vif = vifFigure(run, i);
        const bool vifHigh = !vif.value ? false : *vif.value > settings.vifLimit;
        rows += "<tr><td class=\"path\">" + escapeHtml(predictor.name) + "</td>";
        rows += formatText("<td class=\"number%s\">%s</td>", vifHigh ? " warn" : (vif.value ? "" : " none"), vif.text.c_str());
        if (predictor.maxConfoundCorrelation) {
            const bool high = *predictor.maxConfoundCorrelation > settings.correlationLimit;
            rows += formatText("<td class=\"number%s\">%.2f</td>", high ? " warn" : "", *predictor.maxConfoundCorrelation);
        } else {
            rows += "<td class=\"number none\">\xE2\x80\x94</td>";
        }
        rows += "<td class=\"path\">" + escapeHtml(predictor.maxConfoundName.value_or("")) + "</td></tr>";
    }
    if (rows.empty()) return "<figure><h3>Task predictors</h3><p class=\"empty\">No task predictors.</p></figure>\n";
    return "<figure><h3>Task predictors</h3><table class=\"vif\"><thead><tr><th>predictor</th><th class=\"number\">VIF</th>"
           "<th class=\"number\">max |r| with a confound</th><th>confound</th></tr></thead><tbody>" +
           rows +
           formatText("</tbody></table><figcaption>Flagged above VIF %g or |r| %g. VIF: 1/(1\xE2\x88\x92R\xC2\xB2) of the predictor "
                      "fitted on all other columns.</figcaption></figure>\n",
                      settings.vifLimit, settings.correlationLimit);
}

std::string motionCaption(const MotionFigures& motion, const ReportSettings& settings) {
    const std::size_t steps = motion.series.size() > 1 ? motion.series.size() - 1 : 0;
    const double share = steps > 0 ? 100.0 * motion.volumesOverThreshold / static_cast<double>(steps) : 0.0;
    return formatText("Mean %s mm, max %s mm; %d of %zu volumes (%.1f %%) above %g mm.", formatText("%.3f", motion.mean).c_str(),
                      formatText("%.3f", motion.max).c_str(), motion.volumesOverThreshold, steps, share, settings.fdThresholdMm);
}

std::string logBlock(const RunReport& run) {
    if (run.logLines.empty()) return {};
    std::string text;
    for (const std::string& line : run.logLines) text += escapeHtml(line) + "\n";
    return formatText("<details class=\"log\"><summary>The plugin's log of this group (%zu line%s)</summary><pre class=\"log\">",
                      run.logLines.size(), run.logLines.size() == 1 ? "" : "s") +
           text + "</pre></details>\n";
}

}  // namespace

std::string runSection(const RunReport& run, std::size_t index, const RunPictures& pictures, const ReportSettings& settings) {
    const char* status = statusWord(run.status);
    std::string html = formatText("<section class=\"run status-%s-section\" id=\"%s\" data-status=\"%s\">\n", status,
                                  runAnchor(index).c_str(), status);
    html += formatText("<h2><span class=\"index\">%zu</span> <span class=\"path\">%s</span> <span class=\"badge status-%s\">%s</span> %s</h2>\n",
                       index + 1, escapeHtml(run.protocol).c_str(), status, status, flagBadges(run, settings).c_str());
    html += metaLine(run);
    if (run.status != RunStatus::Ok || !run.reason.empty())
        html += "<p class=\"reason\">" + escapeHtml(run.reason.empty() ? std::string(status) : run.reason) + "</p>\n";
    for (const std::string& note : run.notes) html += "<p class=\"note\">" + escapeHtml(note) + "</p>\n";

    if (run.status == RunStatus::Ok) {
        html += "<div class=\"figures\">\n";
        html += figure("Design matrix",
                       pictures.designMatrix.empty() ? "<p class=\"empty\">Nothing to draw: the design matrix has no rows or no columns.</p>"
                                                     : pictures.designMatrix,
                       pictures.designMatrix.empty() ? ""
                                                     : "Time runs down. Each column scaled to its largest |value|: black 0 "
                                                       "(\xE2\x88\x92max where the column goes negative), white max.");
        html += figure("Correlation",
                       pictures.correlation.empty() ? "<p class=\"empty\">No correlation matrix for this group.</p>" : pictures.correlation,
                       "");
        html += "</div>\n<div class=\"figures\">\n";
        if (run.framewiseDisplacement && !pictures.framewiseDisplacement.empty())
            html += figure("Framewise displacement", pictures.framewiseDisplacement, motionCaption(*run.framewiseDisplacement, settings));
        else
            html += figure("Framewise displacement", "<p class=\"empty\">No motion file for this group.</p>", "");
        html += vifTable(run, settings);
        html += "</div>\n";
    }
    html += logBlock(run);
    html += "<a class=\"back\" href=\"#overview\">\xE2\x86\x91 overview</a>\n</section>\n";
    return html;
}

}  // namespace morvane
