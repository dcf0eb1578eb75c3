#include "confoundmodels/modelFileName.h"

#include "formats/textFormat.h"

namespace morvane {

std::string modelFileName(const std::string& extendedPath, const ConfoundModelChoice& choice) {
    const bool sdm = extendedPath.size() >= 4 && equalsIgnoringCase(extendedPath.substr(extendedPath.size() - 4), ".sdm");
    std::string name = sdm ? extendedPath.substr(0, extendedPath.size() - 4) : extendedPath;
    if (choice.motionModel == 12 || choice.motionModel == 24) name += "_" + std::to_string(choice.motionModel) + "P";
    if (choice.spikeThresholdText) name += "_FD" + *choice.spikeThresholdText;
    return name + ".sdm";
}

}  // namespace morvane
