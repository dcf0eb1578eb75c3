#include "report/reportJson.h"

#include <cmath>
#include <nlohmann/json.hpp>

namespace morvane {
namespace {

// Keys in the order the README documents them.
using Json = nlohmann::ordered_json;

Json number(std::optional<double> value) {
    if (!value || !std::isfinite(*value)) return nullptr;
    return *value;
}

Json text(const std::string& value) { return value.empty() ? Json(nullptr) : Json(value); }

Json predictorJson(const PredictorFigures& predictor) {
    Json out = {{"name", predictor.name}, {"kind", kindWord(predictor.kind)}};
    if (predictor.kind != ColumnKind::Task) return out;
    out["vif"] = number(predictor.vif);
    out["maxConfoundCorrelation"] = number(predictor.maxConfoundCorrelation);
    out["maxConfoundName"] = predictor.maxConfoundName ? Json(*predictor.maxConfoundName) : Json(nullptr);
    return out;
}

Json motionJson(const std::optional<MotionFigures>& motion) {
    if (!motion) return nullptr;
    Json series = Json::array();
    for (double value : motion->series) series.push_back(number(value));
    return {{"mean", number(motion->mean)},
            {"max", number(motion->max)},
            {"volumesOverThreshold", motion->volumesOverThreshold},
            {"series", std::move(series)}};
}

Json runJson(const RunReport& run) {
    Json predictors = Json::array();
    for (const PredictorFigures& predictor : run.predictors) predictors.push_back(predictorJson(predictor));
    // The figures were computed exactly when there is a rank; before that, no correlation either.
    Json correlation = nullptr;
    if (run.rank) {
        correlation = Json::array();
        for (const auto& row : run.correlation) {
            Json values = Json::array();
            for (const std::optional<double>& r : row) values.push_back(number(r));
            correlation.push_back(std::move(values));
        }
    }
    const bool read = !run.designMatrix.empty();
    return {{"protocol", run.protocol},
            {"timeCourse", text(run.timeCourse)},
            {"status", statusWord(run.status)},
            {"reason", text(run.reason)},
            {"designMatrix", text(run.designMatrix)},
            {"rows", read ? Json(run.rows) : Json(nullptr)},
            {"predictors", std::move(predictors)},
            {"correlation", std::move(correlation)},
            {"rank", run.rank ? Json(*run.rank) : Json(nullptr)},
            {"conditionNumber", number(run.conditionNumber)},
            {"framewiseDisplacement", motionJson(run.framewiseDisplacement)},
            {"flags", run.flags},
            {"notes", run.notes}};
}

}  // namespace

std::string reportJson(const StudyReport& report) {
    Json runs = Json::array();
    for (const RunReport& run : report.runs) runs.push_back(runJson(run));
    const Json whole = {{"morvaneVersion", report.morvaneVersion},
                        {"list", report.list},
                        {"settings",
                         {{"fdThreshold", number(report.settings.fdThresholdMm)},
                          {"vifLimit", number(report.settings.vifLimit)},
                          {"correlationLimit", number(report.settings.correlationLimit)}}},
                        {"runs", std::move(runs)}};
    // Names come from files and may hold any bytes; the replacing handler never throws.
    return whole.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace morvane
