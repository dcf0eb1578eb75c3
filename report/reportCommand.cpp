#include "report/reportCommand.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <memory>

#include "formats/textFormat.h"
#include "headless/commandLine.h"
#include "headless/runOutcome.h"
#include "report/reportFlags.h"
#include "report/runSources.h"
#include "report/studyReport.h"

namespace morvane {
namespace {

constexpr const char* reportFooter = R"(Figures per protocol group, from the extended design matrix when there is one:
Pearson r of every pair of columns, each task predictor's VIF and strongest
confound, rank and condition number of the unit-length columns, framewise
displacement from the motion file. FILE.json beside the page holds them all.

Exit status: 0 the report was written (failed and missing groups included);
1 it could not be written, or the list cannot be read or names no protocol;
2 usage error; 4 a group carries a flag named by --fail-on.)";

// The options both the subcommand and the batch run take.
struct Thresholds {
    ReportSettings settings;
    std::vector<std::string> failOn;
    std::vector<CLI::Option*> options;

    // The batch run's options go with --report, and its exit status stays the run's own.
    void addTo(CLI::App& app, bool batchRun) {
        const std::string with = batchRun ? " (with --report)" : "";
        options.push_back(app.add_option("--fd-threshold", settings.fdThresholdMm,
                                         "Framewise displacement (mm) above which a volume counts as moved "
                                         "(default 0.5)" + with));
        options.push_back(app.add_option("--vif-limit", settings.vifLimit,
                                         "Variance inflation factor above which a task predictor is flagged "
                                         "(default 10)" + with));
        options.push_back(app.add_option("--correlation-limit", settings.correlationLimit,
                                         "|r| between a task predictor and a confound above which it is flagged "
                                         "(default 0.5)" + with));
        const std::string failOnText =
            batchRun ? "FLAG[,FLAG...]: name the groups that carry these flags on standard error; the run's exit "
                       "status stays its own (with --report; "
                     : "FLAG[,FLAG...]: exit 4 when a group carries one of these flags (";
        options.push_back(app.add_option("--fail-on", failOn, failOnText + reportFlagList() + ")")->delimiter(','));
    }
    bool given() const {
        return std::any_of(options.begin(), options.end(), [](const CLI::Option* o) { return o->count() > 0; });
    }
    // "" or the usage error.
    std::string problem() const {
        if (!std::isfinite(settings.fdThresholdMm) || settings.fdThresholdMm < 0)
            return "--fd-threshold must be a number of millimetres, 0 or more";
        if (!std::isfinite(settings.vifLimit) || settings.vifLimit < 1)
            return "--vif-limit must be a number, 1 or more (a VIF is never below 1)";
        if (!std::isfinite(settings.correlationLimit) || settings.correlationLimit < 0 || settings.correlationLimit > 1)
            return "--correlation-limit must be a number from 0 to 1";
        for (const std::string& flag : failOn)
            if (!isReportFlag(flag)) return "--fail-on: no flag is called \"" + flag + "\"; the flags are " + reportFlagList();
        return {};
    }
};

struct ReportState {
    CLI::App* subcommand = nullptr;
    std::string list, output, zTransform, pathsRelativeTo = "list";
    Thresholds own;  // of the subcommand
    CLI::Option* reportOption = nullptr;
    std::string batchOutput;
    Thresholds batch;
};

// The page is FILE.html or FILE.htm, so that it cannot land on a design matrix or a list; the
// JSON file beside it replaces only an earlier report's.
std::string outputProblem(const std::string& page, const char* option) {
    if (page.empty()) return std::string(option) + " needs a file name";
    const std::filesystem::path path(page);
    const std::string extension = path.extension().string();
    if (path.stem().empty() || (!equalsIgnoringCase(extension, ".html") && !equalsIgnoringCase(extension, ".htm")))
        return std::string(option) + " " + page + ": name the page FILE.html (FILE.json goes beside it)";
    const std::string json = jsonPathBeside(page);
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(json, error)) && !isStudyReportJson(json))
        return std::string(option) + " " + page + ": " + json +
               " is there and is no report of morvane; it is left as it is (choose another name)";
    return {};
}

ReportProgress progressOnTerminal() {
    if (::isatty(STDERR_FILENO) != 1) return {};
    return [](std::size_t done, std::size_t total) {
        std::cerr << formatText("\rmorvane: report: protocol group %zu of %zu", done, total)
                  << (done == total ? "\n" : "") << std::flush;
    };
}

// The groups that carry one of the flags; "" when none does.
std::string flaggedGroups(const StudyReport& report, const std::vector<std::string>& failOn) {
    std::string text;
    for (const RunReport& run : report.runs) {
        std::string carried;
        for (const std::string& flag : run.flags)
            if (std::find(failOn.begin(), failOn.end(), flag) != failOn.end())
                carried += (carried.empty() ? "" : ", ") + flag;
        if (!carried.empty()) text += "  " + run.protocol + ": " + carried + "\n";
    }
    return text;
}

int reportBesideList(const ReportState& state) {
    ParseResult<ListedRun> list = readFileList(state.list);
    if (!list) {
        std::cerr << "morvane: report: " << list.error << '\n';
        return exitRunFailed;
    }
    if (list.value->groups.empty()) {
        std::cerr << "morvane: report: the file list " << state.list
                  << " names no protocol (*.prt); no report written\n";
        return exitRunFailed;
    }
    const std::optional<bool> z =
        state.zTransform.empty() ? std::nullopt : std::optional<bool>(state.zTransform == "yes");
    // Relative entries lie beside the list, as for a batch run, or in the current folder.
    const std::string folder = state.pathsRelativeTo == "cwd" ? std::string() : folderOf(state.list);
    const std::vector<GroupSources> groups = sourcesBesideList(*list.value, folder, z);
    const WrittenReport written =
        writeStudyReport(groups, state.list, state.own.settings, state.output, progressOnTerminal());
    if (!written.error.empty()) {
        std::cerr << "morvane: report: " << written.error << '\n';
        return exitRunFailed;
    }
    std::cerr << "morvane: " << reportSummary(written.report, state.output) << '\n';
    const std::string flagged = flaggedGroups(written.report, state.own.failOn);
    if (flagged.empty()) return exitSuccess;
    std::cerr << "morvane: report: protocol groups with flags named by --fail-on:\n" << flagged;
    return exitFlagged;
}

int reportAfterRun(const ReportState& state, const RunOutcome& outcome) {
    // The list as the command line named it (the plugin gets its name within its folder).
    const std::string list = outcome.answers.listPath.value_or(outcome.listPath);
    const WrittenReport written =
        writeStudyReport(sourcesOfRun(outcome), list, state.batch.settings, state.batchOutput, progressOnTerminal());
    if (!written.error.empty()) {
        std::cerr << "morvane: the report could not be written: " << written.error << '\n';
        return exitRunFailed;
    }
    std::cerr << "morvane: " << reportSummary(written.report, state.batchOutput) << '\n';
    const std::string flagged = flaggedGroups(written.report, state.batch.failOn);
    // A batch run's exit status tells how the run went; the flags are only named here.
    if (!flagged.empty())
        std::cerr << "morvane: report: protocol groups with flags named by --fail-on (the run's exit status is "
                     "not changed by them; `morvane report` exits 4 for them):\n"
                  << flagged;
    return exitSuccess;
}

}  // namespace

ChosenWorkOf addReportCommands(CLI::App& app) {
    auto state = std::make_shared<ReportState>();
    CLI::App* report = app.add_subcommand(
        "report", "Report on the design matrices beside a list's files (written earlier by morvane or the desktop "
                  "host): an HTML page with pictures and figures, and FILE.json beside it");
    report->footer(reportFooter);
    report->add_option("--list", state->list, "The file list whose groups are reported")->required();
    report->add_option("--output", state->output, "The page to write, FILE.html (FILE.json goes beside it)")
        ->required();
    report->add_option("--z-transform", state->zTransform,
                       "Use the extended design matrices with (yes) or without (no) z-transformed confounds; by "
                       "default the more recently written")
        ->check(CLI::IsMember({"yes", "no"}));
    report->add_option("--paths-relative-to", state->pathsRelativeTo,
                       "Relative entries of the list name files beside the list (list, the default) or in the "
                       "current folder (cwd)")
        ->check(CLI::IsMember({"list", "cwd"}));
    state->own.addTo(*report, false);
    state->subcommand = report;

    state->reportOption = app.add_option("--report", state->batchOutput,
                                         "After the run, write a report of every protocol group to FILE.html and "
                                         "FILE.json beside it");
    state->batch.addTo(app, true);

    return [state]() -> ChosenWork {
        ChosenWork work;
        if (state->subcommand->parsed()) {
            work.usageError = state->own.problem();
            if (work.usageError.empty()) work.usageError = outputProblem(state->output, "--output");
            if (work.usageError.empty()) work.command = [state] { return reportBesideList(*state); };
            return work;
        }
        if (state->reportOption->count() == 0) {
            if (state->batch.given())
                work.usageError = "--fd-threshold, --vif-limit, --correlation-limit and --fail-on go with --report "
                                  "FILE.html (or with `morvane report`)";
            return work;
        }
        work.usageError = state->batch.problem();
        if (work.usageError.empty()) work.usageError = outputProblem(state->batchOutput, "--report");
        if (!work.usageError.empty()) return work;
        // The run works in the list's folder; the page goes where the command line meant.
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(state->batchOutput, error);
        if (!error) state->batchOutput = absolute.string();
        work.afterRun = [state](RunOutcome& outcome) { return reportAfterRun(*state, outcome); };
        return work;
    };
}

}  // namespace morvane
