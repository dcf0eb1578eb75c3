// What a user asks of a confound model on the command line: the motion model and the
// framewise-displacement threshold for spike columns, checked before any work starts.
#pragma once

#include <optional>
#include <string>

#include "formats/parseResult.h"

namespace morvane {

struct ConfoundModelChoice {
    int motionModel = 6;
    // The threshold as the user wrote it (it goes into file names) and its value; none when
    // spikes are off.
    std::optional<std::string> spikeThresholdText;
    double spikeThresholdMm = 0.0;

    // More than the six parameters the plugin writes itself.
    bool asksForMore() const { return motionModel != 6 || spikeThresholdText.has_value(); }
};

// "" when the model is 6, 12 or 24, else the usage error.
std::string motionModelProblem(int model);

// A threshold in mm: a plain decimal number of 0 or more ("0.5", "0.30", "1"), short enough
// for a file name; anything else is refused with a message for a usage error.
ParseResult<double> parseSpikeThreshold(const std::string& text);

// The choice from the command line's --motion-model and --spikes-fd (none when not given),
// both checked as above; else the usage error of the first that is wrong.
ParseResult<ConfoundModelChoice> confoundModelChoice(int motionModel, const std::optional<std::string>& spikesFd);

}  // namespace morvane
