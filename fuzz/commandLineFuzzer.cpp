// morvane's command line with every capability's subcommands and options: the bytes, split at
// NUL bytes, are the arguments after the program's name. Any arguments give settings, a
// subcommand or an exit status, never two of them, and settings hold only answers the
// dialogs accept. The subcommand itself is not run.
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzzSupport.h"
#include "headless/capabilities.h"
#include "headless/commandLine.h"

using namespace morvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzzBytes(data, size);
    std::vector<std::string> arguments = {"morvane"};
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
        arguments.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    argv.push_back(nullptr);

    std::ostringstream out, err;
    const CommandLineResult result =
        parseCommandLine(static_cast<int>(arguments.size()), argv.data(), out, err, morvaneCapabilities());
    if (result.command) {
        fuzzCheck(!result.settings && result.exitStatus == exitSuccess, "a subcommand comes alone");
        return 0;
    }
    if (!result.settings) {
        fuzzCheck(result.exitStatus == exitSuccess || result.exitStatus == exitUsage, "help, version or usage");
        return 0;
    }
    fuzzCheck(result.exitStatus == exitSuccess, "settings come with success");
    const Answers& answers = result.settings->answers;
    if (answers.predictorValue)
        fuzzCheck(std::isfinite(*answers.predictorValue) && *answers.predictorValue >= -100.0f &&
                      *answers.predictorValue <= 100.0f,
                  "the predictor value lies in the dialog's range");
    if (answers.listPath) fuzzCheck(!answers.listPath->empty() && answers.listPath->size() <= 511, "a list path fits");
    return 0;
}
