// Saving a design matrix that morvane made after the plugin: in the host's SDM notation
// (six significant digits in 12-character fields), replaced atomically like every file
// morvane writes.
#pragma once

#include <string>

#include "formats/sdmFile.h"

namespace morvane {

// "" on success, else the reason; on failure the file is as it was.
std::string writeModelFile(const std::string& path, const SdmContent& content);

}  // namespace morvane
