// Names of the temporary files that a save writes beside its destination.
#pragma once

#include <string>

namespace morvane {

// The pid in a temporary file's name ("<prefix><pid>-<n>.tmp"), or 0 when the name is not
// one of ours.
long pidOfTemporaryName(const std::string& name, const std::string& prefix);

}  // namespace morvane
