#include "report/motionFigures.h"

#include <algorithm>
#include <cmath>

#include "formats/textFormat.h"
#include "motion/framewiseDisplacement.h"

namespace morvane {

std::optional<MotionFigures> summariseDisplacement(std::vector<double> series, double thresholdMm) {
    if (series.size() < 2) return std::nullopt;
    if (!std::all_of(series.begin(), series.end(), [](double v) { return std::isfinite(v); })) return std::nullopt;
    MotionFigures figures;
    double sum = 0.0;
    for (std::size_t t = 1; t < series.size(); ++t) {
        sum += series[t];
        figures.max = std::max(figures.max, series[t]);
        figures.volumesOverThreshold += series[t] > thresholdMm;
    }
    figures.mean = sum / static_cast<double>(series.size() - 1);
    if (!std::isfinite(figures.mean)) return std::nullopt;  // a sum beyond the range of doubles
    figures.series = std::move(series);
    return figures;
}

GroupMotion groupMotion(const std::string& path, const std::string& shownPath, std::optional<int> points,
                        double thresholdMm) {
    GroupMotion motion;
    const ParseResult<SdmContent> file = readMotionFile(path);
    if (!file) {
        motion.notes.push_back("the motion file " + shownPath + " cannot be read: " + file.error);
        return motion;
    }
    const int wanted = points.value_or(file.value->dataPoints);
    ParseResult<std::vector<double>> series = framewiseDisplacement(*file.value, wanted);
    if (!series) {
        motion.notes.push_back("no framewise displacement from the motion file " + shownPath + ": " + series.error);
        return motion;
    }
    const int volumes = static_cast<int>(series.value->size());
    if (points && volumes < *points)
        motion.notes.push_back(formatText("the motion file %s holds %d volumes, the design matrix %d: the framewise "
                                          "displacement covers the first %d",
                                          shownPath.c_str(), file.value->dataPoints, *points, volumes));
    motion.figures = summariseDisplacement(std::move(*series.value), thresholdMm);
    if (!motion.figures) {
        if (volumes < 2)
            motion.notes.push_back(formatText("no framewise displacement: the motion file %s gives %d volume(s), it "
                                              "takes two",
                                              shownPath.c_str(), volumes));
        else
            motion.notes.push_back("no framewise displacement: the motion file " + shownPath +
                                   " holds values that are not finite numbers");
    }
    return motion;
}

}  // namespace morvane
