// A whole file read into memory, for the host's text readers.
#pragma once

#include <string>

#include "formats/parseResult.h"

namespace morvane {

// The file's content, or the reason it could not be read, with the system's words for it
// ("cannot open the file: Permission denied", "cannot read the file: Is a directory").
ParseResult<std::string> readWholeFile(const std::string& path);

}  // namespace morvane
