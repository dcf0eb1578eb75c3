// Spike regressors (Power et al., 2012, 2014): one column per volume whose framewise
// displacement is above a threshold, 1 at that volume and 0 elsewhere, so that the volume
// is taken out of the fit.
#pragma once

#include <string>
#include <vector>

#include "confoundmodels/modelColumn.h"

namespace morvane {

// One column per volume whose FD is above the threshold (in volume order), named
// "Spike N" with N the 1-based volume; as long as the FD series.
std::vector<ModelColumn> spikeColumns(const std::vector<double>& framewiseDisplacement, double thresholdMm);

// More than a quarter of the volumes flagged leaves too little of the run to trust.
bool tooManySpikes(std::size_t flagged, std::size_t volumes);

// The warning for that case, about the file that holds the columns.
std::string tooManySpikesWarning(const std::string& path, std::size_t flagged, std::size_t volumes,
                                 const std::string& thresholdText);

}  // namespace morvane
