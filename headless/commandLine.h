// The command line of morvane: the answers to the plugin's dialogs, the documents, and the
// conventions of the response functions.
#pragma once

#include <array>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "headless/commandHooks.h"
#include "headless/dialogs.h"
#include "headless/hostSession.h"

namespace morvane {

enum ExitStatus : int {
    exitSuccess = 0,
    exitRunFailed = 1,
    exitUsage = 2,
    exitPluginRefused = 3,
};

struct Settings {
    Answers answers;
    HostOptions host;
    std::optional<std::string> pluginPath;
    std::optional<std::string> logPath;
    // Work after the run that its options asked for, in the order of the capabilities.
    std::vector<std::function<int(RunOutcome&)>> afterRun;
};

// The settings of a batch run, or a subcommand to run instead, or the exit status when the
// command line asked for help or the version (0) or was wrong (2); messages go to out and err.
struct CommandLineResult {
    std::optional<Settings> settings;
    std::function<int()> command;
    int exitStatus = exitSuccess;
};

// The batch run's options, and those of each capability in `capabilities`.
CommandLineResult parseCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                                   const std::vector<AddCommands>& capabilities = {});

inline constexpr std::array<int, 3> morvaneVersion{20, 6, 0};

}  // namespace morvane
