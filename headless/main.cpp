// morvane: runs the quorvel plugin without the desktop application, with the dialogs
// answered on the command line, the log pane on standard output, and a check of every
// file the run should have written.
#include <unistd.h>

#include <algorithm>
#include <exception>
#include <fstream>
#include <iostream>

#include "headless/allocatorSettings.h"
#include "formats/fileList.h"
#include "formats/textFormat.h"
#include "headless/atomicReplace.h"
#include "headless/capabilities.h"
#include "headless/commandLine.h"
#include "headless/hostEntryPoints.h"
#include "headless/hostSession.h"
#include "headless/pluginModule.h"
#include "headless/runCheck.h"
#include "headless/runOutcome.h"

namespace {

using namespace morvane;

int fail(int status, const std::string& message) {
    std::cerr << "morvane: " << message << '\n';
    return status;
}

std::string joinedOptions(const std::vector<std::string>& options) {
    std::string text;
    for (const std::string& option : options) text += (text.empty() ? "" : ", ") + option;
    return text;
}

// Checks the outputs of a finished run, does the work the command line asked for after it,
// and reports; the exit status.
int finishRun(const HostSession& session, const Dialogs& dialogs, const LogPane& log, const Settings& settings) {
    if (!session.chosenList()) return fail(exitRunFailed, "the run was cancelled before a file list was chosen");
    ParseResult<ListedRun> list = readFileList(*session.chosenList());
    if (!list) return fail(exitRunFailed, list.error);
    // The plugin holds entries in 512-byte buffers and refuses a list with a longer one.
    for (const std::string& entry : list.value->entries) {
        if (entry.size() > 511)
            return fail(exitRunFailed, formatText("the file list %s holds an entry of %zu characters; the plugin takes at "
                                                  "most 511 and refuses the list: %s",
                                                  session.chosenList()->c_str(), entry.size(),
                                                  visibleText(entry, 60).c_str()));
    }
    if (list.value->groups.empty())
        return fail(exitRunFailed, "the file list " + *session.chosenList() + " names no protocol (*.prt)");

    RunOutcome outcome;
    outcome.listPath = *session.chosenList();
    outcome.list = std::move(*list.value);
    outcome.answers = dialogs.answers();
    outcome.records = &session.groups();
    outcome.groupRecords = recordsOfGroups(outcome.list, session.groups());
    outcome.log = &log.entries();
    outcome.failures = checkRun(outcome.list, outcome.groupRecords, outcome.answers.skipFirstCondition.value_or(false),
                                outcome.answers.zTransform.value_or(false));
    outcome.addedDesignMatrices.resize(outcome.list.groups.size());

    int status = exitSuccess;
    for (const auto& step : settings.afterRun) status = std::max(status, step(outcome));

    std::stable_sort(outcome.failures.begin(), outcome.failures.end(),
              [](const ProtocolFailure& a, const ProtocolFailure& b) { return a.groupIndex < b.groupIndex; });
    const std::size_t total = outcome.list.groups.size();
    if (outcome.failures.empty()) {
        std::cerr << formatText("morvane: all %zu protocol(s) converted\n", total);
        return status;
    }
    std::size_t failedGroups = 0;
    for (std::size_t i = 0; i < outcome.failures.size(); ++i)
        failedGroups += i == 0 || outcome.failures[i].groupIndex != outcome.failures[i - 1].groupIndex;
    std::cerr << formatText("morvane: %zu of %zu protocol(s) failed:\n", failedGroups, total);
    for (const ProtocolFailure& failure : outcome.failures)
        std::cerr << "  " << failure.protocolPath << ": " << failure.reason << '\n';
    return std::max(status, static_cast<int>(exitRunFailed));
}

int run(int argc, char** argv) {
    CommandLineResult commandLine = parseCommandLine(argc, argv, std::cout, std::cerr, morvaneCapabilities());
    if (commandLine.command) return commandLine.command();
    if (!commandLine.settings) return commandLine.exitStatus;
    Settings& settings = *commandLine.settings;

    const bool interactive = ::isatty(STDIN_FILENO) == 1;
    if (!interactive) {
        const auto missing = missingAnswers(settings.answers);
        if (!missing.empty())
            return fail(exitUsage, "missing " + joinedOptions(missing) +
                                       " (standard input is no terminal, so the dialogs cannot ask); see --help");
    }
    std::ofstream logFile;
    if (settings.logPath) {
        logFile.open(*settings.logPath, std::ios::out | std::ios::trunc);
        if (!logFile) return fail(exitUsage, "cannot open the log file " + *settings.logPath + " for writing");
    }
    settings.host.showProgress = ::isatty(STDERR_FILENO) == 1;

    Dialogs dialogs(settings.answers, interactive, std::cin, std::cerr);
    LogPane log(std::cout, settings.logPath ? &logFile : nullptr);
    if (!settings.afterRun.empty()) log.keepEntries();
    HostSession session(settings.host, dialogs, log, std::cerr);
    setEntryPointSession(&session);

    ParseResult<PluginModule> module = loadChosenPluginModule(settings.pluginPath);
    if (!module) return fail(exitPluginRefused, module.error);
    PluginObject plugin(module.value->createPlugin());
    if (!plugin) return fail(exitPluginRefused, "the plugin's createPlugin gave no object");
    if (!plugin->initPlugin())
        return fail(exitPluginRefused, "the plugin refused to start (its initialisation failed)");
    if (!plugin->execute()) return fail(exitPluginRefused, "the plugin refused to run (no VMR document available)");
    plugin.reset();
    setEntryPointSession(nullptr);
    return finishRun(session, dialogs, log, settings);
}

}  // namespace

int main(int argc, char** argv) {
    keepFreedMemoryForReuse();
    removeKeptFileWhenInterrupted();
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        return fail(exitRunFailed, std::string("unexpected failure: ") + error.what());
    }
}
