// `morvane confounds`: a confound model for one design matrix, whichever host wrote it.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace morvane {

struct ConfoundsCommandOptions {
    std::string designMatrix;
    std::string motion;
    std::string output;
    int motionModel = 6;
    std::optional<std::string> spikesFd;
    bool zTransform = false;
    std::optional<std::string> extra;
    std::vector<std::string> columns;
};

// Adds the subcommand and its options, bound to `options` (which must outlive the parse).
CLI::App* addConfoundsSubcommand(CLI::App& app, ConfoundsCommandOptions& options);

// Reads the design matrix, the motion file and any table, writes OUT; log lines to out,
// messages to err. 0, 1 when a file cannot be read or written, 2 for a usage error.
int runConfoundsCommand(const ConfoundsCommandOptions& options, std::ostream& out, std::ostream& err);

}  // namespace morvane
