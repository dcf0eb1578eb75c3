// The name of the design matrix a confound model writes beside the file it extends.
#pragma once

#include <string>

#include "confoundmodels/modelChoice.h"

namespace morvane {

// The extended file's stem (its name without ".sdm"), then "_12P" or "_24P" for those
// models, then "_FD" and the threshold as given when spikes are on, then ".sdm":
// "run1_run1_3DMC_z_24P_FD0.5.sdm".
std::string modelFileName(const std::string& extendedPath, const ConfoundModelChoice& choice);

}  // namespace morvane
