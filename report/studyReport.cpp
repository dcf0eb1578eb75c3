#include "report/studyReport.h"

#include <atomic>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

#include "formats/textFormat.h"
#include "headless/atomicReplace.h"
#include "headless/commandLine.h"
#include "report/matrixFigures.h"
#include "report/motionFigures.h"
#include "report/reportFlags.h"
#include "report/reportJson.h"

namespace morvane {
namespace {

std::string writeText(const std::string& path, const std::string& text) {
    const std::string problem = replaceFileAtomically(
        path, [&text](int descriptor) { return writeAll(descriptor, text.data(), text.size()); });
    return problem.empty() ? std::string() : "cannot write " + path + ": " + problem;
}

// A problem found while reporting: the reason of a group the run check passed, else a note
// beside the reason it failed for.
void addProblem(RunReport& run, std::string why) {
    if (run.status == RunStatus::Ok) {
        run.status = RunStatus::Failed;
        run.reason = std::move(why);
    } else {
        run.notes.push_back(std::move(why));
    }
}

}  // namespace

RunReport reportGroup(const GroupSources& sources, const ReportSettings& settings, RunPictures& pictures) {
    RunReport run;
    run.protocol = sources.protocol;
    run.timeCourse = sources.timeCourse;
    run.status = sources.status;
    run.reason = sources.reason;
    run.logLines = sources.logLines;
    run.notes = sources.notes;

    std::optional<SdmContent> matrix;
    std::string matrixName = sources.designMatrix;
    if (!sources.designMatrixFile.empty()) {
        ParseResult<SdmContent> read = readSdmFile(sources.designMatrixFile);
        if (read) {
            matrix = std::move(read.value);
        } else {
            // A group the run check passed, whose design matrix is unusable all the same.
            addProblem(run, "the design matrix " + sources.designMatrix + " cannot be read: " + read.error);
            // The task predictors can still be shown from the design matrix without confounds.
            if (!sources.plainDesignMatrixFile.empty()) {
                read = readSdmFile(sources.plainDesignMatrixFile);
                if (read) {
                    matrix = std::move(read.value);
                    matrixName = sources.plainDesignMatrix;
                    run.notes.push_back("the figures come from " + matrixName + ", the design matrix without confounds");
                }
            }
        }
    }
    if (matrix) {
        run.designMatrix = matrixName;
        run.rows = matrix->dataPoints;
        ParseResult<MatrixFigures> figures = matrixFigures(*matrix);
        if (figures) {
            run.predictors = std::move(figures.value->predictors);
            run.correlation = std::move(figures.value->correlation);
            run.rank = figures.value->rank;
            run.conditionNumber = figures.value->conditionNumber;
            run.nonZeroColumns = figures.value->nonZeroColumns;
        } else {
            const std::vector<ColumnKind> kinds = columnKinds(*matrix);
            for (std::size_t c = 0; c < kinds.size(); ++c) {
                PredictorFigures predictor;
                predictor.name = matrix->names[c];
                predictor.kind = kinds[c];
                run.predictors.push_back(std::move(predictor));
            }
            addProblem(run, matrixName + ": " + figures.error);
        }
    }
    if (!sources.motionFile.empty()) {
        const std::optional<int> points = matrix ? std::optional<int>(matrix->dataPoints) : std::nullopt;
        GroupMotion motion = groupMotion(sources.motionFile, sources.motion, points, settings.fdThresholdMm);
        run.framewiseDisplacement = std::move(motion.figures);
        run.notes.insert(run.notes.end(), motion.notes.begin(), motion.notes.end());
    }
    run.flags = runFlags(run, settings);
    pictures = drawRunPictures(run, matrix ? &*matrix : nullptr, settings);
    return run;
}

std::string jsonPathBeside(const std::string& pagePath) {
    return std::filesystem::path(pagePath).replace_extension(".json").string();
}

bool isStudyReportJson(const std::string& path) {
    constexpr std::string_view start = "{\"morvaneVersion\":";
    std::ifstream file(path, std::ios::binary);
    std::string head(start.size(), '\0');
    file.read(head.data(), static_cast<std::streamsize>(head.size()));
    return file && head == start;
}

WrittenReport writeStudyReport(const std::vector<GroupSources>& groups, const std::string& listPath,
                               const ReportSettings& settings, const std::string& pagePath,
                               const ReportProgress& progress) {
    WrittenReport written;
    StudyReport& report = written.report;
    report.morvaneVersion = formatText("%d.%d.%d", morvaneVersion[0], morvaneVersion[1], morvaneVersion[2]);
    report.list = listPath;
    report.settings = settings;
    std::vector<RunPictures> pictures(groups.size());
    report.runs.resize(groups.size());
    // A few workers, each reporting one group at a time: the groups are independent, and a
    // report right after a batch run should cost it little time. At most one design matrix per
    // worker is in memory.
    std::atomic<std::size_t> next{0};
    std::size_t done = 0;
    std::mutex finished;
    std::exception_ptr failure;
    const auto work = [&] {
        try {
            for (std::size_t i = next++; i < groups.size(); i = next++) {
                report.runs[i] = reportGroup(groups[i], settings, pictures[i]);
                const std::lock_guard<std::mutex> lock(finished);
                ++done;
                if (progress) progress(done, groups.size());
            }
        } catch (...) {
            const std::lock_guard<std::mutex> lock(finished);
            if (!failure) failure = std::current_exception();
            next = groups.size();  // the others stop after their group
        }
    };
    const std::size_t workers = std::min<std::size_t>({std::max(1u, std::thread::hardware_concurrency()),
                                                       maximumReportWorkers, std::max<std::size_t>(groups.size(), 1)});
    if (workers > 1) prepareFiguresForThreads();
    {
        std::vector<std::jthread> helpers;
        for (std::size_t w = 1; w < workers; ++w) helpers.emplace_back(work);
        work();
    }
    if (failure) std::rethrow_exception(failure);
    // The two files are made and written to disk side by side; each replaces its file only
    // when it is complete.
    std::string jsonError;
    {
        const std::jthread json([&] {
            try {
                jsonError = writeText(jsonPathBeside(pagePath), reportJson(report));
            } catch (const std::exception& error) {
                jsonError = std::string("cannot make the JSON file: ") + error.what();
            }
        });
        written.error = writeText(pagePath, reportPage(report, pictures));
    }
    if (written.error.empty()) written.error = jsonError;
    return written;
}

std::string reportSummary(const StudyReport& report, const std::string& pagePath) {
    std::size_t failed = 0, missing = 0, flagged = 0;
    std::map<std::string, std::size_t> counts;
    for (const RunReport& run : report.runs) {
        failed += run.status == RunStatus::Failed;
        missing += run.status == RunStatus::Missing;
        bool any = false;
        for (const std::string& flag : run.flags) {
            ++counts[flag];
            any = any || (flag != "failed" && flag != "missing");
        }
        flagged += any;
    }
    std::string flags;
    for (std::string_view name : reportFlagNames) {
        const auto found = counts.find(std::string(name));
        if (found == counts.end() || name == "failed" || name == "missing") continue;
        flags += formatText("%s%s %zu", flags.empty() ? "" : ", ", found->first.c_str(), found->second);
    }
    return formatText("report of %zu protocol group(s) (%zu failed, %zu missing, %zu flagged%s%s) written to %s and %s",
                      report.runs.size(), failed, missing, flagged, flags.empty() ? "" : ": ", flags.c_str(),
                      pagePath.c_str(), jsonPathBeside(pagePath).c_str());
}

}  // namespace morvane
