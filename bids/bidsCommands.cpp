#include "bids/bidsCommands.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <optional>

#include "bids/bidsNames.h"
#include "bids/confoundsToMotion.h"
#include "bids/designMatrixExport.h"
#include "bids/eventsToProtocol.h"
#include "bids/outputFile.h"
#include "formats/textFormat.h"
#include "formats/wholeFile.h"
#include "headless/commandLine.h"

namespace morvane {
namespace {

constexpr const char* eventsFooter = R"(Writes a protocol in msec (FileVersion 3): one condition per distinct value of
the condition column, in the order of first appearance; its intervals the
events in the table's order, round(onset * 1000) to round((onset + duration)
* 1000) ms. A duration of 0 stays 0 (an impulse). Rows whose condition is n/a
are left out; an n/a weight is 0; negative onsets are kept (a run clips them).
Without a condition column, one condition named after the file's task entity.

Exit status: 0 written; 1 the table was refused or the file not written;
2 usage error.)";

constexpr const char* confoundsFooter = R"(Writes the motion file as the host's motion correction does: translations X, Y,
Z (trans_x, trans_y, trans_z, mm), then rotations X, Y, Z (rot_x, rot_y, rot_z,
radians, written in degrees), IncludesConstant 0, six significant digits. n/a
is taken as 0 in the first row only. Name it RUN_3DMC.sdm: the plugin knows a
list's motion file by "_3DMC" in its name.

Exit status: 0 written; 1 the table was refused or the file not written;
2 usage error.)";

constexpr const char* exportFooter = R"(tsv: a header line of predictor names (the constant as "constant"), then one
line per data point, tab-separated, each number in the shortest text that
reads back to the same double.
fsl: /NumWaves, /NumPoints, /PPheights (each column's max - min), /Matrix, and
the rows without the constant column, which FSL adds itself.

Exit status: 0 written; 1 the design matrix was refused or the file not
written; 2 usage error.)";

struct BidsState {
    CLI::App* events = nullptr;
    CLI::App* confounds = nullptr;
    CLI::App* exported = nullptr;
    std::string eventsPath, eventsOutput, conditionColumn = "trial_type", weightsColumn, experiment;
    CLI::Option* conditionOption = nullptr;
    CLI::Option* weightsOption = nullptr;
    CLI::Option* experimentOption = nullptr;
    // Which of them were given, taken while the command line still exists: the command runs
    // after it is gone.
    bool conditionGiven = false, weightsGiven = false, experimentGiven = false;
    std::string confoundsPath, confoundsOutput;
    std::string matrixPath, matrixOutput, format = "tsv";
};

int refuse(const std::string& message) {
    std::cerr << "morvane: " << message << '\n';
    return exitRunFailed;
}

void warn(const std::vector<std::string>& warnings) {
    for (const std::string& warning : warnings) std::cerr << "morvane: warning: " << warning << '\n';
}

// Writes the output, or says why not; the exit status.
int writeOutput(const std::string& output, const std::string& text, const std::string& what) {
    if (const std::string failure = writeOutputFile(output, text); !failure.empty())
        return refuse("cannot write " + output + ": " + failure);
    std::cerr << "morvane: " << output << " written: " << what << '\n';
    return exitSuccess;
}

int importEvents(const BidsState& state) {
    EventsOptions options;
    options.conditionColumn = state.conditionColumn;
    options.conditionColumnAskedFor = state.conditionGiven;
    if (state.weightsGiven) options.weightsColumn = state.weightsColumn;
    options.singleCondition = bidsEntity(state.eventsPath, "task").value_or("events");
    options.experiment = state.experimentGiven ? std::string(trimmed(state.experiment))
                                                              : bidsStem(state.eventsPath);
    // The Experiment line holds a single line; a file's name may hold more.
    if (options.experiment.find_first_of("\r\n") != std::string::npos) options.experiment = "events";

    if (const std::string problem = outputPathProblem(state.eventsPath, state.eventsOutput); !problem.empty())
        return refuse(problem);
    const ParseResult<TsvTable> table = readTsvFile(state.eventsPath);
    if (!table) return refuse(table.error);
    const ParseResult<ImportedProtocol> imported = protocolFromEvents(*table.value, options);
    if (!imported) return refuse(imported.error);
    warn(imported.value->warnings);
    const Protocol& protocol = imported.value->protocol;
    return writeOutput(state.eventsOutput, protocolText(protocol),
                       formatText("%zu condition(s), %zu event(s)", protocol.conditions.size(), imported.value->events));
}

int importConfounds(const BidsState& state) {
    if (const std::string problem = outputPathProblem(state.confoundsPath, state.confoundsOutput); !problem.empty())
        return refuse(problem);
    const ParseResult<TsvTable> table = readTsvFile(state.confoundsPath);
    if (!table) return refuse(table.error);
    const ParseResult<ImportedMotion> imported = motionFromConfounds(*table.value);
    if (!imported) return refuse(imported.error);
    std::vector<std::string> warnings = imported.value->warnings;
    if (lastComponent(state.confoundsOutput).find("_3DMC") == std::string::npos)
        warnings.push_back(state.confoundsOutput + " has no \"_3DMC\" in its name, by which the plugin knows a motion "
                                                   "file in a file list");
    warn(warnings);
    return writeOutput(state.confoundsOutput, sdmText(imported.value->motion),
                       formatText("6 motion predictors, %d data point(s)", imported.value->motion.dataPoints));
}

int exportDesignMatrix(const BidsState& state) {
    if (const std::string problem = outputPathProblem(state.matrixPath, state.matrixOutput); !problem.empty())
        return refuse(problem);
    const ParseResult<std::string> text = readWholeFile(state.matrixPath);
    if (!text) return refuse(state.matrixPath + ": the design matrix cannot be read: " + text.error);
    const ParseResult<SdmContent> matrix = parseDesignMatrix(*text.value);
    if (!matrix) return refuse(state.matrixPath + ", " + matrix.error);
    const bool fsl = state.format == "fsl";
    const ParseResult<std::string> table = fsl ? designMatrixFsl(*matrix.value) : designMatrixTsv(*matrix.value);
    if (!table) return refuse(state.matrixPath + ": " + table.error);
    const int written = matrix.value->predictorCount() - (fsl && constantColumn(*matrix.value) ? 1 : 0);
    return writeOutput(state.matrixOutput, *table.value,
                       formatText("%d column(s), %d data point(s)", written, matrix.value->dataPoints));
}

}  // namespace

ChosenWorkOf addBidsCommands(CLI::App& app) {
    auto state = std::make_shared<BidsState>();

    CLI::App* import = app.add_subcommand("import", "Convert a BIDS table into the host's files: events to a protocol, "
                                                    "confounds to a motion file");
    import->require_subcommand(1);
    state->events = import->add_subcommand("events", "A BIDS events table (*_events.tsv) as a protocol in msec");
    state->events->add_option("EVENTS", state->eventsPath, "The events table")->required();
    state->events->add_option("--output", state->eventsOutput, "The protocol to write (RUN.prt)")->required();
    state->conditionOption = state->events->add_option(
        "--condition-column", state->conditionColumn, "The column whose values are the conditions (default trial_type)");
    state->weightsOption = state->events->add_option("--weights-column", state->weightsColumn,
                                                     "A column of parametric weights, one per event");
    state->experimentOption = state->events->add_option("--experiment", state->experiment,
                                                        "The protocol's Experiment line (default: the file's name)");
    state->events->footer(eventsFooter);

    state->confounds = import->add_subcommand(
        "confounds", "A confound table (*_desc-confounds_timeseries.tsv) as the host's motion file (SDM)");
    state->confounds->add_option("CONFOUNDS", state->confoundsPath, "The confound table")->required();
    state->confounds->add_option("--output", state->confoundsOutput, "The motion file to write (RUN_3DMC.sdm)")
        ->required();
    state->confounds->footer(confoundsFooter);

    state->exported = app.add_subcommand("export", "A design matrix (SDM) as a tab-separated table or in FSL's layout");
    state->exported->add_option("DM", state->matrixPath, "The design matrix (.sdm; an .rtc is read too)")->required();
    state->exported->add_option("--output", state->matrixOutput, "The file to write (DM.tsv, or design.mat)")
        ->required();
    state->exported->add_option("--format", state->format, "tsv (default) or fsl")->check(CLI::IsMember({"tsv", "fsl"}));
    state->exported->footer(exportFooter);

    // The commands run at once, in the folder morvane was started in: the paths stay as given,
    // so that messages name the files as the user does.
    return [state]() -> ChosenWork {
        ChosenWork work;
        if (state->events->parsed()) {
            state->conditionGiven = state->conditionOption->count() > 0;
            state->weightsGiven = state->weightsOption->count() > 0;
            state->experimentGiven = state->experimentOption->count() > 0;
            if (state->experimentGiven && state->experiment.find_first_of("\r\n") != std::string::npos)
                return {{}, {}, "--experiment must be a single line"};
            work.command = [state] { return importEvents(*state); };
        } else if (state->confounds->parsed()) {
            work.command = [state] { return importConfounds(*state); };
        } else if (state->exported->parsed()) {
            work.command = [state] { return exportDesignMatrix(*state); };
        }
        return work;
    };
}

}  // namespace morvane
