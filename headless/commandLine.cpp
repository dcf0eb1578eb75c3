#include "headless/commandLine.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <filesystem>
#include <ostream>

#include "headless/pluginModule.h"
#include "formats/textFormat.h"

namespace morvane {
namespace {

#ifndef QUORVEL_VERSION
#error "QUORVEL_VERSION, the project's version, comes from CMake"
#endif

constexpr const char* conventionsText = R"(A list's relative entries name files beside the list: the run works in the
list's folder (the paths given on the command line keep meaning what they
mean where morvane was started). --paths-relative-to cwd takes them relative
to the current folder instead, as the plugin alone does.

Answers not given are asked at a prompt with the plugin's dialog text when
standard input is a terminal; otherwise the run stops with a usage error.

Predictors: a condition's intervals form a boxcar in continuous time (volume
intervals are 1-based and inclusive; msec intervals are [onset, offset) in ms
from the start of the first volume; a zero-length msec event lasts 100 ms).
Its plain predictor holds, per volume, the boxcar averaged over the volume.
Convolution is exact (incomplete gamma functions), not sampled:
  --hrf-normalise area  the response has unit area: a long block plateaus at
                        the predictor value (default)
  --hrf-normalise peak  the response has unit peak: a 1-s event peaks near it
  --sample start        a volume's value is the response at its start,
                        t = i * TR (default)
  --sample middle       ... at its middle, t = (i + 1/2) * TR

Exit status: 0 every protocol produced its design matrix, its saved VTC and
(with confound files) its complete extended design matrix; 1 some did not, or
the list could not be read or names no protocol, or the run was cancelled;
2 usage error; 3 the plugin could not be loaded or refused to run.)";

std::optional<bool> yesNo(const std::string& text) {
    if (text.empty()) return std::nullopt;
    return text == "yes";
}

bool parseVersion(const std::string& text, std::array<int, 3>& version) {
    int consumed = 0;
    return std::sscanf(text.c_str(), "%d.%d.%d%n", &version[0], &version[1], &version[2], &consumed) == 3 &&
           consumed == static_cast<int>(text.size());
}

// A path given on the command line, made independent of the working folder, which the run
// changes to the list's.
std::string absolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}

// `morvane --version`: morvane's version, the host version it reports, and the version of
// the plugin module it would load; 3 when that module cannot be loaded.
int printVersions(const std::optional<std::string>& pluginPath, const std::array<int, 3>& hostVersion,
                  std::ostream& out, std::ostream& err) {
    out << "morvane " << QUORVEL_VERSION << '\n';
    out << formatText("the headless host of quorvel, reporting itself to the plugin as Morvane %d.%d.%d\n",
                      hostVersion[0], hostVersion[1], hostVersion[2]);
    ParseResult<PluginModule> module = loadChosenPluginModule(pluginPath);
    if (!module) {
        out.flush();
        err << "morvane: " << module.error << '\n';
        return exitPluginRefused;
    }
    const char* name = module.value->getPluginName != nullptr ? module.value->getPluginName() : nullptr;
    const char* version = module.value->getPluginVersion != nullptr ? module.value->getPluginVersion() : nullptr;
    out << "plugin: " << (name != nullptr ? name : "(no name)") << ", version "
        << (version != nullptr ? version : "(none)") << ", from " << module.value->path << '\n';
    return exitSuccess;
}

}  // namespace

CommandLineResult parseCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                                   const std::vector<AddCommands>& capabilities) {
    CLI::App app{"morvane: a headless stand-in for the Morvane host that runs the quorvel plugin on a file list "
                 "of protocols (PRT), time courses (VTC) and confound files."};
    bool versionWanted = false;
    app.add_flag("--version", versionWanted,
                 "Print morvane's version and that of the plugin it loads (with --plugin, that one), and exit");

    std::string list, hrf, skipFirst, zTransform, vmr, plugin, log, normalise = "area", sample = "start",
                relativeTo = "list";
    std::string hostVersion = formatText("%d.%d.%d", morvaneVersion[0], morvaneVersion[1], morvaneVersion[2]);
    float value = 0.0f;
    bool noVmr = false;

    app.add_option("--list", list, "The file list (answers \"Please select the file list\")");
    app.add_option("--paths-relative-to", relativeTo,
                   "Where the list's relative entries are: list (its folder, default) or cwd (the current "
                   "folder)")
        ->check(CLI::IsMember({"list", "cwd"}));
    app.add_option("--hrf", hrf, "Response function: two-gamma or boynton")
        ->check(CLI::IsMember({"two-gamma", "boynton"}));
    auto* valueOption = app.add_option("--value", value, "The predictor value, -100 to 100")
                            ->check(CLI::Range(-100.0f, 100.0f));
    app.add_option("--skip-first", skipFirst, "Skip the first condition: yes or no")
        ->check(CLI::IsMember({"yes", "no"}));
    app.add_option("--z-transform", zTransform, "z-transform the confounds: yes or no")
        ->check(CLI::IsMember({"yes", "no"}));
    auto* vmrOption = app.add_option("--vmr", vmr, "Open this anatomical document (VMR); without it an empty one")
                          ->check(CLI::ExistingFile);
    auto* noVmrOption = app.add_flag("--no-vmr", noVmr, "Run with no anatomical document open");
    vmrOption->excludes(noVmrOption);
    app.add_option("--plugin", plugin, std::string("The plugin module (default: ") + pluginFileName +
                                           " in the installation's lib/quorvel, or beside the program)");
    app.add_option("--log", log, "Also write the log pane to this file");
    app.add_option("--hrf-normalise", normalise, "area (default) or peak")->check(CLI::IsMember({"area", "peak"}));
    app.add_option("--sample", sample, "start (default) or middle")->check(CLI::IsMember({"start", "middle"}));
    app.add_option("--host-version", hostVersion,
                   "The version reported to the plugin, MAJOR.MINOR.PATCH (for trying the plugin's check)");

    std::vector<ChosenWorkOf> chosenOf;
    for (const AddCommands& add : capabilities) chosenOf.push_back(add(app));
    // Set after the subcommands are made, which would take it over as their own footer.
    app.footer(conventionsText);
    app.require_subcommand(0, 1);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error, out, err);
        return {std::nullopt, {}, status == 0 ? exitSuccess : exitUsage};
    }

    std::vector<std::function<int(RunOutcome&)>> afterRun;
    for (const ChosenWorkOf& chosen : chosenOf) {
        ChosenWork work = chosen();
        if (!work.usageError.empty()) {
            err << "morvane: " << work.usageError << '\n';
            return {std::nullopt, {}, exitUsage};
        }
        if (work.command) {
            // The batch run's options would be silently ignored by a subcommand.
            for (const CLI::Option* option : app.get_options()) {
                if (option->count() > 0) {
                    err << "morvane: " << option->get_name() << " is an option of the batch run; it does not go "
                        << "with a subcommand (give it after the subcommand's name if the subcommand takes it)\n";
                    return {std::nullopt, {}, exitUsage};
                }
            }
            return {std::nullopt, std::move(work.command), exitSuccess};
        }
        if (work.afterRun) afterRun.push_back(std::move(work.afterRun));
    }

    Settings settings;
    if (!parseVersion(hostVersion, settings.host.version)) {
        err << "morvane: --host-version must look like 20.6.0\n";
        return {std::nullopt, {}, exitUsage};
    }
    if (versionWanted) {
        std::optional<std::string> pluginPath;
        if (!plugin.empty()) pluginPath = plugin;
        const std::array<int, 3> reported = settings.host.version;
        return {std::nullopt, [pluginPath, reported, &out, &err] { return printVersions(pluginPath, reported, out, err); },
                exitSuccess};
    }
    // The run works in the list's folder: morvane's own paths are fixed before.
    settings.host.entriesBesideList = relativeTo == "list";
    if (settings.host.entriesBesideList) {
        for (std::string* path : {&vmr, &plugin, &log}) {
            if (!path->empty()) *path = absolutePath(*path);
        }
    }
    if (!list.empty()) {
        if (list.size() > 511) {
            err << "morvane: the --list path is longer than the 511 characters a file dialog returns\n";
            return {std::nullopt, {}, exitUsage};
        }
        settings.answers.listPath = list;
    }
    if (!hrf.empty()) settings.answers.twoGamma = hrf == "two-gamma";
    if (valueOption->count() > 0) {
        if (!std::isfinite(value)) {
            err << "morvane: --value must be a number from -100 to 100\n";
            return {std::nullopt, {}, exitUsage};
        }
        settings.answers.predictorValue = value;
    }
    settings.answers.skipFirstCondition = yesNo(skipFirst);
    settings.answers.zTransform = yesNo(zTransform);
    settings.host.anatomy = noVmr ? AnatomyKind::None : vmr.empty() ? AnatomyKind::Empty : AnatomyKind::File;
    settings.host.vmrPath = vmr;
    settings.host.convention.normalisation =
        normalise == "peak" ? ResponseNormalisation::Peak : ResponseNormalisation::Area;
    settings.host.convention.moment = sample == "middle" ? SamplingMoment::Middle : SamplingMoment::Start;
    if (!plugin.empty()) settings.pluginPath = plugin;
    if (!log.empty()) settings.logPath = log;
    settings.afterRun = std::move(afterRun);
    return {std::move(settings), {}, exitSuccess};
}

}  // namespace morvane
