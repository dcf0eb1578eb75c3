#include "confoundmodels/spikeColumns.h"

#include "formats/textFormat.h"

namespace morvane {

std::vector<ModelColumn> spikeColumns(const std::vector<double>& framewiseDisplacement, double thresholdMm) {
    std::vector<ModelColumn> columns;
    for (std::size_t t = 0; t < framewiseDisplacement.size(); ++t) {
        if (!(framewiseDisplacement[t] > thresholdMm)) continue;
        ModelColumn column{formatText("Spike %zu", t + 1), Rgb{128, 128, 128},
                           std::vector<double>(framewiseDisplacement.size(), 0.0)};
        column.values[t] = 1.0;
        columns.push_back(std::move(column));
    }
    return columns;
}

bool tooManySpikes(std::size_t flagged, std::size_t volumes) { return flagged * 4 > volumes; }

std::string tooManySpikesWarning(const std::string& path, std::size_t flagged, std::size_t volumes,
                                 const std::string& thresholdText) {
    return formatText("%s: %zu of %zu volumes have a framewise displacement above %s mm, more than a quarter; "
                      "the run may be unusable",
                      path.c_str(), flagged, volumes, thresholdText.c_str());
}

}  // namespace morvane
