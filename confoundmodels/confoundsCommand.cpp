#include "confoundmodels/confoundsCommand.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <ostream>

#include "confoundmodels/confoundModel.h"
#include "confoundmodels/extraColumns.h"
#include "confoundmodels/modelFile.h"
#include "confoundmodels/modelLog.h"
#include "motion/framewiseDisplacement.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;

constexpr int commandSucceeded = 0;
constexpr int commandFailed = 1;
constexpr int commandUsage = 2;

// The same file, however the two paths name it (a link, "./", another spelling).
bool samePlace(const std::string& a, const std::string& b) {
    std::error_code error;
    if (fs::exists(a, error) && fs::exists(b, error)) return fs::equivalent(a, b, error);
    const fs::path left = fs::weakly_canonical(fs::absolute(a, error), error);
    const fs::path right = fs::weakly_canonical(fs::absolute(b, error), error);
    return left == right;
}

int fail(std::ostream& err, int status, const std::string& message) {
    err << "morvane confounds: " << message << '\n';
    return status;
}

}  // namespace

CLI::App* addConfoundsSubcommand(CLI::App& app, ConfoundsCommandOptions& options) {
    CLI::App* command = app.add_subcommand(
        "confounds",
        "Extend one design matrix by a confound model: motion parameters (6), with their derivatives (12) and the "
        "squares of both (24), columns of a confounds table, and spike columns for volumes of high framewise "
        "displacement.");
    command->add_option("--design-matrix", options.designMatrix, "The design matrix to extend (SDM)")->required();
    command->add_option("--motion", options.motion, "The motion file (SDM, or RTC when its name holds .rtc)")
        ->required();
    command->add_option("--motion-model", options.motionModel,
                        "6: the six motion parameters (default); 12: and their derivatives; 24: and the squares of "
                        "both");
    command->add_option("--spikes-fd", options.spikesFd,
                        "A spike column for every volume whose framewise displacement is above this many mm");
    command->add_flag("--z-transform", options.zTransform,
                      "z-transform the motion terms and extra columns as the plugin does its confounds");
    command->add_option("--extra", options.extra, "A tab-separated table with a header line, such as a BIDS "
                                                  "confounds file");
    command->add_option("--columns", options.columns,
                        "The table's columns to add, NAME[,NAME...]; NAME* takes every column with that prefix")
        ->delimiter(',');
    command->add_option("--output", options.output, "The design matrix to write (never the one it extends)")
        ->required();
    return command;
}

int runConfoundsCommand(const ConfoundsCommandOptions& options, std::ostream& out, std::ostream& err) {
    ParseResult<ConfoundModelChoice> choice = confoundModelChoice(options.motionModel, options.spikesFd);
    if (!choice) return fail(err, commandUsage, choice.error);
    ConfoundModelRequest request;
    request.choice = *choice.value;
    if (options.extra.has_value() != !options.columns.empty())
        return fail(err, commandUsage, "--extra and --columns go together: the table and the names of its columns");
    // The output replaces no input: the design matrix least of all.
    if (samePlace(options.output, options.designMatrix))
        return fail(err, commandUsage, "--output names the design matrix itself (" + options.designMatrix +
                                           "); the extended matrix goes to a file of its own");
    for (const std::string* input : {&options.motion, options.extra ? &*options.extra : nullptr})
        if (input != nullptr && samePlace(options.output, *input))
            return fail(err, commandUsage, "--output names an input of the command (" + *input + ")");

    ParseResult<SdmContent> designMatrix = readSdmFile(options.designMatrix);
    if (!designMatrix)
        return fail(err, commandFailed, "the design matrix " + options.designMatrix + " cannot be read: " + designMatrix.error);
    ParseResult<SdmContent> motion = readMotionFile(options.motion);
    if (!motion) return fail(err, commandFailed, "the motion file " + options.motion + " cannot be read: " + motion.error);

    std::vector<std::string> warnings;
    if (options.extra) {
        ParseResult<TsvTable> table = readTsvFile(*options.extra);
        if (!table) return fail(err, commandFailed, table.error);
        ParseResult<std::vector<ModelColumn>> extra =
            extraColumnsOf(*table.value, options.columns, designMatrix.value->dataPoints, warnings);
        if (!extra) return fail(err, commandFailed, extra.error);
        request.extraColumns = std::move(*extra.value);
    }
    // A design matrix that the plugin extended holds the parameters already; twice would
    // make the model singular.
    request.withMotionParameters = !holdsMotionParameters(*designMatrix.value, *motion.value);
    if (!request.withMotionParameters)
        warnings.push_back(options.designMatrix + " holds the six motion parameters already; they are not added again");
    request.zTransform = options.zTransform;
    request.motionPath = "the motion file " + options.motion;

    ParseResult<ConfoundModel> model = buildConfoundModel(*designMatrix.value, *motion.value, request, options.output);
    if (!model) return fail(err, commandFailed, model.error);
    warnings.insert(warnings.end(), model.value->warnings.begin(), model.value->warnings.end());
    for (const std::string& warning : warnings) err << "morvane confounds: warning: " << warning << '\n';

    const std::string saveProblem = writeModelFile(options.output, model.value->content);
    if (!saveProblem.empty())
        return fail(err, commandFailed, "cannot save the design matrix " + options.output + ": " + saveProblem);
    ModelLog log(out, std::nullopt);
    for (const std::string& line : model.value->logLines) log.line(line);
    log.line("New filename: " + options.output + " (" + addedColumnsText(*model.value) + ")");
    return commandSucceeded;
}

}  // namespace morvane
