#include "headless/designMatrix.h"

#include <algorithm>

#include "formats/textFormat.h"

namespace morvane {
namespace {

std::vector<float> asFloats(const std::vector<double>& values) {
    return std::vector<float>(values.begin(), values.end());
}

// The interval as seconds from the start of the run, before clipping.
BoxcarSegment unclippedSegment(const ProtocolInterval& interval, bool inMilliseconds, double tr) {
    if (inMilliseconds) {
        const double start = interval.start / 1000.0;
        double end = interval.end / 1000.0;
        if (end <= start) end = start + shortestEventSeconds;
        return {start, end, 1.0};
    }
    // In double: the volume before the lowest start lies outside the range of an int.
    return {(static_cast<double>(interval.start) - 1.0) * tr, interval.end * tr, 1.0};
}

}  // namespace

Predictor& addPredictor(DesignMatrix& matrix, std::string name, int numberOfVolumes) {
    auto predictor = std::make_unique<Predictor>();
    predictor->name = std::move(name);
    predictor->values.assign(static_cast<std::size_t>(std::max(numberOfVolumes, 0)), 0.0f);
    matrix.predictors.push_back(std::move(predictor));
    return *matrix.predictors.back();
}

Predictor* findPredictor(DesignMatrix& matrix, std::string_view name) {
    for (auto it = matrix.predictors.rbegin(); it != matrix.predictors.rend(); ++it) {
        if ((*it)->name == name) return it->get();
    }
    return nullptr;
}

std::vector<BoxcarSegment> conditionBoxcar(const ProtocolCondition& condition, bool inMilliseconds,
                                           const RunTiming& timing, double height) {
    std::vector<BoxcarSegment> boxcar;
    const double runEnd = timing.durationSeconds();
    for (const ProtocolInterval& interval : condition.intervals) {
        BoxcarSegment segment = unclippedSegment(interval, inMilliseconds, timing.repetitionTimeSeconds);
        segment.startSeconds = std::max(segment.startSeconds, 0.0);
        segment.endSeconds = std::min(segment.endSeconds, runEnd);
        if (segment.endSeconds <= segment.startSeconds) continue;
        segment.height = height;
        boxcar.push_back(segment);
    }
    return boxcar;
}

std::vector<std::string> intervalsOutsideRun(const Protocol& protocol, const RunTiming& timing) {
    std::vector<std::string> warnings;
    const double runEnd = timing.durationSeconds();
    for (const ProtocolCondition& condition : protocol.conditions) {
        for (std::size_t k = 0; k < condition.intervals.size(); ++k) {
            const ProtocolInterval& interval = condition.intervals[k];
            const BoxcarSegment segment =
                unclippedSegment(interval, protocol.inMilliseconds, timing.repetitionTimeSeconds);
            if (segment.startSeconds >= 0.0 && segment.endSeconds <= runEnd + 1e-9) continue;
            const char* unit = protocol.inMilliseconds ? "ms" : "volumes";
            const std::string extent = protocol.inMilliseconds
                                           ? formatText("0 to %.0f ms", runEnd * 1000.0)
                                           : formatText("volumes 1 to %d", timing.numberOfVolumes);
            warnings.push_back(formatText(
                "condition \"%s\", interval %zu (%d to %d %s) reaches beyond the run (%s); it is clipped",
                condition.name.c_str(), k + 1, interval.start, interval.end, unit, extent.c_str()));
        }
    }
    return warnings;
}

void setPredictorFromCondition(Predictor& predictor, const ProtocolCondition& condition, bool inMilliseconds,
                               const RunTiming& timing, float value) {
    predictor.boxcar = conditionBoxcar(condition, inMilliseconds, timing, static_cast<double>(value));
    predictor.values = asFloats(sampleBoxcar(predictor.boxcar, timing.repetitionTimeSeconds, timing.numberOfVolumes));
    predictor.valuesFromBoxcar = predictor.values;
    predictor.fromCondition = true;
    predictor.color = condition.color;
}

void convolvePredictor(Predictor& predictor, ResponseFunction function, const Convention& convention,
                       const RunTiming& timing) {
    const double tr = timing.repetitionTimeSeconds;
    if (predictor.values != predictor.valuesFromBoxcar || predictor.boxcar.empty()) {
        predictor.boxcar.clear();
        for (std::size_t i = 0; i < predictor.values.size(); ++i) {
            if (predictor.values[i] != 0.0f)
                predictor.boxcar.push_back({static_cast<double>(i) * tr, static_cast<double>(i + 1) * tr,
                                            static_cast<double>(predictor.values[i])});
        }
    }
    const std::vector<double> convolved = convolveBoxcar(predictor.boxcar, function, convention, tr, timing.numberOfVolumes);
    // In place where the size stays, so that the address handed out stays valid too.
    if (predictor.values.size() == convolved.size())
        std::copy(convolved.begin(), convolved.end(), predictor.values.begin());
    else
        predictor.values = asFloats(convolved);
    // The values are no boxcar any more; their memory goes back at once.
    std::vector<BoxcarSegment>().swap(predictor.boxcar);
    std::vector<float>().swap(predictor.valuesFromBoxcar);
}

bool hasConstantPredictor(const DesignMatrix& matrix) {
    return !matrix.predictors.empty() && matrix.predictors.back()->name == "Constant" &&
           !matrix.predictors.back()->fromCondition;
}

SdmContent designMatrixContent(const DesignMatrix& matrix, int numberOfVolumes) {
    SdmContent content;
    content.fileVersion = 1;
    content.dataPoints = std::max(numberOfVolumes, 0);
    const bool constant = hasConstantPredictor(matrix);
    content.includesConstant = constant ? 1 : 0;
    const int count = static_cast<int>(matrix.predictors.size());
    content.firstConfoundPredictor = constant ? count : count + 1;
    for (const auto& predictor : matrix.predictors) {
        content.names.push_back(predictor->name);
        const bool isConstant = constant && predictor == matrix.predictors.back();
        content.colors.push_back(isConstant ? Rgb{255, 255, 255} : predictor->color);
    }
    content.values.reserve(static_cast<std::size_t>(content.dataPoints) * matrix.predictors.size());
    for (int row = 0; row < content.dataPoints; ++row) {
        for (const auto& predictor : matrix.predictors) {
            const auto index = static_cast<std::size_t>(row);
            content.values.push_back(index < predictor->values.size() ? predictor->values[index] : 0.0);
        }
    }
    return content;
}

}  // namespace morvane
