#include "confoundmodels/confoundModelCommands.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <memory>

#include "confoundmodels/confoundModelStep.h"
#include "confoundmodels/confoundsCommand.h"

namespace morvane {
namespace {

struct CommandState {
    int motionModel = 6;
    std::string spikesFd;
    ConfoundsCommandOptions command;
};

}  // namespace

ChosenWorkOf addConfoundModelCommands(CLI::App& app) {
    auto state = std::make_shared<CommandState>();
    CLI::Option* model = app.add_option("--motion-model", state->motionModel,
                                        "After the run, one more design matrix per group with a motion file: 12 adds "
                                        "the motion parameters' derivatives (_12P), 24 also the squares of both "
                                        "(_24P); 6 (default) adds nothing");
    CLI::Option* spikes = app.add_option("--spikes-fd", state->spikesFd,
                                         "... and a spike column for each volume whose framewise displacement is "
                                         "above this many mm (_FD<MM>)");
    CLI::Option* log = app.get_option_no_throw("--log");
    CLI::App* command = addConfoundsSubcommand(app, state->command);

    return [state, model, spikes, log, command]() -> ChosenWork {
        const bool batchOptions = model->count() > 0 || spikes->count() > 0;
        if (command->parsed()) {
            if (batchOptions)
                return {{}, {}, "--motion-model and --spikes-fd go after \"confounds\" for a single design matrix"};
            return {[state] { return runConfoundsCommand(state->command, std::cout, std::cerr); }, {}, {}};
        }
        if (!batchOptions) return {};

        const ParseResult<ConfoundModelChoice> chosen = confoundModelChoice(
            state->motionModel, spikes->count() > 0 ? std::optional(state->spikesFd) : std::nullopt);
        if (!chosen) return {{}, {}, chosen.error};
        const ConfoundModelChoice choice = *chosen.value;
        if (!choice.asksForMore()) return {};
        // The run works in the list's folder; the log file stays where it was named.
        std::optional<std::string> logPath;
        if (log != nullptr && log->count() > 0) {
            std::error_code error;
            const std::string given = log->as<std::string>();
            const std::filesystem::path absolute = std::filesystem::absolute(given, error);
            logPath = error ? given : absolute.string();
        }
        return {{}, [choice, logPath](RunOutcome& outcome) {
                    ModelLog modelLog(std::cout, logPath);
                    return runConfoundModelStep(outcome, choice, modelLog, std::cerr);
                },
                {}};
    };
}

}  // namespace morvane
