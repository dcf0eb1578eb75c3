// morvane: runs the quorvel plugin without the desktop application, with the dialogs
// answered on the command line, the log pane on standard output, and a check of every
// file the run should have written.
#include <unistd.h>

#include <exception>
#include <fstream>
#include <iostream>

#include "headless/allocatorSettings.h"
#include "headless/atomicReplace.h"
#include "headless/commandLine.h"
#include "headless/fileList.h"
#include "headless/hostEntryPoints.h"
#include "headless/hostSession.h"
#include "headless/pluginModule.h"
#include "headless/runCheck.h"
#include "headless/textFormat.h"

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

// Checks the outputs of a finished run and reports; the exit status.
int reportRun(const HostSession& session, const Dialogs& dialogs) {
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
    const Answers& answers = dialogs.answers();
    const auto failures = checkRun(*list.value, session.groups(), answers.skipFirstCondition.value_or(false),
                                   answers.zTransform.value_or(false));
    const std::size_t total = list.value->groups.size();
    if (failures.empty()) {
        std::cerr << formatText("morvane: all %zu protocol(s) converted\n", total);
        return exitSuccess;
    }
    std::cerr << formatText("morvane: %zu of %zu protocol(s) failed:\n", failures.size(), total);
    for (const ProtocolFailure& failure : failures) std::cerr << "  " << failure.protocolPath << ": " << failure.reason << '\n';
    return exitRunFailed;
}

int run(int argc, char** argv) {
    CommandLineResult commandLine = parseCommandLine(argc, argv, std::cout, std::cerr);
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
    HostSession session(settings.host, dialogs, log, std::cerr);
    setEntryPointSession(&session);

    const std::string pluginPath = settings.pluginPath.value_or(joinPath(programFolder(), pluginFileName));
    ParseResult<PluginModule> module = loadPluginModule(pluginPath);
    if (!module) return fail(exitPluginRefused, module.error);
    PluginObject plugin(module.value->createPlugin());
    if (!plugin) return fail(exitPluginRefused, "the plugin's createPlugin gave no object");
    if (!plugin->initPlugin())
        return fail(exitPluginRefused, "the plugin refused to start (its initialisation failed)");
    if (!plugin->execute()) return fail(exitPluginRefused, "the plugin refused to run (no VMR document available)");
    plugin.reset();
    setEntryPointSession(nullptr);
    return reportRun(session, dialogs);
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
