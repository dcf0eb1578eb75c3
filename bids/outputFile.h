// How the conversion commands write their one output file.
#pragma once

#include <string>

namespace morvane {

// "" when the path can take the output of a conversion of `input`, else why not: it names a
// folder, or the input itself (which the output would replace).
std::string outputPathProblem(const std::string& input, const std::string& output);

// Writes the text to the path atomically (the old file, if any, stays whole until the new
// one is complete); "" or the reason it failed.
std::string writeOutputFile(const std::string& path, const std::string& text);

}  // namespace morvane
