// How a capability joins morvane's command line: it adds its subcommands and the batch run's
// options it takes to the application, and once the line is parsed says what was chosen.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace morvane {

struct RunOutcome;

struct ChosenWork {
    // The capability's subcommand, when it was given; returns the exit status.
    std::function<int()> command;
    // Work after a batch run, when the run's options ask for it; returns 0, or the exit
    // status it needs (a file it could not write). Failures of runs go into the outcome.
    std::function<int(RunOutcome&)> afterRun;
    // Options that do not go together, for a usage error.
    std::string usageError;
};

// Called once the command line is parsed, before the run changes its working folder (so
// relative paths given on the command line are to be made absolute here).
using ChosenWorkOf = std::function<ChosenWork()>;
using AddCommands = std::function<ChosenWorkOf(CLI::App& app)>;

}  // namespace morvane
