#include "bids/outputFile.h"

#include <filesystem>

#include "headless/atomicReplace.h"

namespace morvane {

std::string outputPathProblem(const std::string& input, const std::string& output) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::is_directory(output, error)) return "--output " + output + " is a folder; it needs a file name";
    if (fs::exists(output, error) && fs::equivalent(input, output, error))
        return "--output " + output + " is the input file itself, which the output would replace";
    return {};
}

std::string writeOutputFile(const std::string& path, const std::string& text) {
    return replaceFileAtomically(path, [&text](int descriptor) { return writeAll(descriptor, text.data(), text.size()); });
}

}  // namespace morvane
