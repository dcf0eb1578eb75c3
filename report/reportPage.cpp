#include "report/reportPage.h"

#include <algorithm>

#include "formats/textFormat.h"
#include "report/designMatrixPicture.h"
#include "report/fdTrace.h"
#include "report/heatMap.h"
#include "report/htmlText.h"
#include "report/pageParts.h"
#include "report/reportFlags.h"
#include "report/runSummary.h"

namespace morvane {

namespace {

std::string pageHeader(const StudyReport& report) {
    int ok = 0, failed = 0, missing = 0, flagged = 0;
    for (const RunReport& run : report.runs) {
        ok += run.status == RunStatus::Ok;
        failed += run.status == RunStatus::Failed;
        missing += run.status == RunStatus::Missing;
        flagged += !run.flags.empty();
    }
    const ReportSettings& settings = report.settings;
    std::string html = "<header class=\"page\" id=\"overview\"><h1>Design matrices of <span class=\"list\">" +
                       escapeHtml(report.list) + "</span></h1>\n";
    html += formatText("<p class=\"summary\"><b>%zu</b> protocol group%s: <b>%d</b> ok, <b>%d</b> failed, <b>%d</b> missing; "
                       "<b>%d</b> with flags.</p>\n",
                       report.runs.size(), report.runs.size() == 1 ? "" : "s", ok, failed, missing, flagged);
    html += formatText("<p class=\"settings\">FD threshold %g mm \xC2\xB7 VIF limit %g \xC2\xB7 task\xE2\x80\x93"
                       "confound correlation limit %g</p>\n",
                       settings.fdThresholdMm, settings.vifLimit, settings.correlationLimit);
    html += "<details class=\"help\"><summary>How to read this page</summary><dl>"
            "<dt>Design matrix</dt><dd>One column per predictor, time running down; the bands above mark the "
            "<span class=\"kind-task\">task</span>, confound and constant columns, the strip above them each predictor's "
            "own colour.</dd>"
            "<dt>VIF</dt><dd>The variance inflation factor of a task predictor, 1/(1\xE2\x88\x92R\xC2\xB2) of its fit on "
            "all other columns: how much the collinearity inflates its estimate's variance.</dd>"
            "<dt>Condition number</dt><dd>Of the design matrix with each column scaled to unit length; "
            "\xE2\x88\x9E when the matrix is rank-deficient.</dd>"
            "<dt>FD</dt><dd>Framewise displacement (Power et al., 2012): the summed absolute changes of the six motion "
            "parameters from one volume to the next, rotations as arc length on a 50 mm sphere.</dd><dt>Flags</dt><dd>";
    for (const std::string_view name : reportFlagNames) {
        const std::string flag(name);
        html += formatText("<span class=\"badge flag-%s\">%s</span> %s<br>", flagClass(flag).c_str(), flag.c_str(),
                           flagMeaning(flag, settings).c_str());
    }
    html += "The 20 % rule for motion follows Parkes et al. (2018).</dd></dl></details>\n";
    return html + "</header>\n";
}

}  // namespace

std::string runAnchor(std::size_t index) { return "run-" + std::to_string(index + 1); }

RunPictures drawRunPictures(const RunReport& run, const SdmContent* matrix, const ReportSettings& settings) {
    RunPictures pictures;
    if (matrix != nullptr) pictures.designMatrix = designMatrixPicture(*matrix, run.predictors);
    pictures.correlation = correlationHeatMap(run);
    if (run.framewiseDisplacement) pictures.framewiseDisplacement = fdTrace(*run.framewiseDisplacement, settings.fdThresholdMm);
    return pictures;
}

std::string reportPage(const StudyReport& report, const std::vector<RunPictures>& pictures) {
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        // Nothing on the page may reach outside the file, even by mistake.
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src data:; "
        "style-src 'unsafe-inline'; script-src 'unsafe-inline'\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>Design matrices of " +
        escapeHtml(report.list) + "</title>\n<style>" + pageStyle() + "</style>\n</head>\n<body>\n";
    html += "<svg width=\"0\" height=\"0\" style=\"position:absolute\" aria-hidden=\"true\"><defs>" + correlationDefinitions() +
            "</defs></svg>\n";
    html += pageHeader(report);
    html += overviewTable(report);
    const RunPictures none;
    for (std::size_t i = 0; i < report.runs.size(); ++i)
        html += runSection(report.runs[i], i, i < pictures.size() ? pictures[i] : none, report.settings);
    html += "<footer>Written by morvane " + escapeHtml(report.morvaneVersion) + ".</footer>\n";
    html += std::string("<script>") + pageScript() + "</script>\n</body>\n</html>\n";
    return html;
}

}  // namespace morvane
