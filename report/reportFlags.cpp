#include "report/reportFlags.h"

#include <algorithm>

namespace morvane {
namespace {

bool raised(std::string_view flag, const RunReport& run, const ReportSettings& settings) {
    const auto anyTask = [&](auto&& test) {
        return std::any_of(run.predictors.begin(), run.predictors.end(),
                           [&](const PredictorFigures& p) { return p.kind == ColumnKind::Task && test(p); });
    };
    if (flag == "failed") return run.status == RunStatus::Failed;
    if (flag == "missing") return run.status == RunStatus::Missing;
    if (flag == "rank-deficient") return run.rank && *run.rank < run.nonZeroColumns;
    if (flag == "empty-condition") return anyTask([](const PredictorFigures& p) { return p.withoutVariance; });
    if (flag == "high-vif")
        return anyTask([&](const PredictorFigures& p) { return p.vifInfinite || (p.vif && *p.vif > settings.vifLimit); });
    if (flag == "task-confound-correlation")
        return anyTask([&](const PredictorFigures& p) {
            return p.maxConfoundCorrelation && *p.maxConfoundCorrelation > settings.correlationLimit;
        });
    if (flag == "high-motion") {
        if (!run.framewiseDisplacement) return false;
        const MotionFigures& fd = *run.framewiseDisplacement;
        const std::size_t withFd = fd.series.empty() ? 0 : fd.series.size() - 1;
        return static_cast<double>(fd.volumesOverThreshold) > motionShareLimit * static_cast<double>(withFd) ||
               fd.max > motionSpikeMm;
    }
    return false;
}

}  // namespace

bool isReportFlag(std::string_view name) {
    return std::find(reportFlagNames.begin(), reportFlagNames.end(), name) != reportFlagNames.end();
}

std::string reportFlagList() {
    std::string text;
    for (std::string_view name : reportFlagNames) (text += text.empty() ? "" : ", ") += name;
    return text;
}

std::vector<std::string> runFlags(const RunReport& run, const ReportSettings& settings) {
    std::vector<std::string> flags;
    for (std::string_view name : reportFlagNames)
        if (raised(name, run, settings)) flags.emplace_back(name);
    return flags;
}

}  // namespace morvane
