#include "report/runSummary.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "formats/textFormat.h"
#include "report/reportFlags.h"
#include "report/svgNumbers.h"

namespace morvane {

VifFigure vifFigure(const RunReport& run, std::size_t predictor) {
    const PredictorFigures& figures = run.predictors[predictor];
    if (figures.vif) return {figureText(*figures.vif, 3), *figures.vif};
    if (figures.vifInfinite) return {"\xE2\x88\x9E", std::numeric_limits<double>::infinity()};
    if (figures.withoutVariance) return {"no variance", std::nullopt};
    return {"\xE2\x80\x94", std::nullopt};
}

std::optional<double> largestVif(const RunReport& run) {
    std::optional<double> largest;
    for (std::size_t i = 0; i < run.predictors.size(); ++i) {
        if (run.predictors[i].kind != ColumnKind::Task) continue;
        const std::optional<double> vif = vifFigure(run, i).value;
        if (vif && (!largest || *vif > *largest)) largest = vif;
    }
    return largest;
}

std::optional<double> largestConfoundCorrelation(const RunReport& run) {
    std::optional<double> largest;
    for (const PredictorFigures& predictor : run.predictors)
        if (predictor.kind == ColumnKind::Task && predictor.maxConfoundCorrelation &&
            (!largest || *predictor.maxConfoundCorrelation > *largest))
            largest = predictor.maxConfoundCorrelation;
    return largest;
}

int columnsOfKind(const RunReport& run, ColumnKind kind) {
    return static_cast<int>(std::count_if(run.predictors.begin(), run.predictors.end(),
                                          [&](const PredictorFigures& predictor) { return predictor.kind == kind; }));
}

std::string flagMeaning(const std::string& flag, const ReportSettings& settings) {
    if (flag == "rank-deficient") return "some columns are exact combinations of others: the model cannot separate them";
    if (flag == "empty-condition") return "a task predictor has no variance (a condition without events in this run)";
    if (flag == "high-vif")
        return formatText("a task predictor's variance inflation factor is above %g or infinite", settings.vifLimit);
    if (flag == "task-confound-correlation")
        return formatText("a task predictor correlates with a confound beyond |r| = %g", settings.correlationLimit);
    if (flag == "high-motion")
        return formatText("more than %g %% of the volumes move more than %g mm (FD), or one moves more than %g mm",
                          100.0 * motionShareLimit, settings.fdThresholdMm, motionSpikeMm);
    if (flag == "failed") return "the run did not produce the group's design matrix, or it cannot be used";
    if (flag == "missing") return "the group's outputs are not beside the list's files";
    return {};
}

std::string flagClass(const std::string& flag) {
    std::string name;
    for (const char c : flag)
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-') name += c;
        else if (c >= 'A' && c <= 'Z') name += static_cast<char>(c - 'A' + 'a');
    return name;
}

}  // namespace morvane
