// The report at study size: the figures of one protocol group of 2,000 volumes and 40
// predictors (its design matrix and motion file read from disk, correlation, VIFs, rank and
// condition number, FD, flags), and the whole report of 100 such groups (every file read,
// figures, pictures, page and JSON file written), on the wall clock.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "bench/benchInputs.h"
#include "bench/benchScratch.h"
#include "formats/fileList.h"
#include "formats/sdmFile.h"
#include "formats/textFormat.h"
#include "report/groupSources.h"
#include "report/matrixFigures.h"
#include "report/motionFigures.h"
#include "report/reportFlags.h"
#include "report/studyReport.h"

namespace {

constexpr int studyGroups = 100;
constexpr int taskPredictors = 24;  // then 15 confounds and the constant

// A design matrix with confounds as the plugin leaves it, beside its motion file and the
// host's design matrix, for each of `groups` groups of a list.
void writeStudy(const bench::ScratchFolder& folder, int groups) {
    std::string list = std::to_string(groups) + "\n";
    for (int g = 1; g <= groups; ++g) {
        const std::string run = "run" + std::to_string(g);
        list += run + ".prt\n" + run + ".vtc\n" + run + "_3DMC.sdm\n";
        auto matrix = morvane::parseSdm(bench::designMatrixText(bench::realisticRows, bench::realisticPredictors,
                                                                 static_cast<std::uint32_t>(g)));
        if (!matrix) std::abort();
        matrix.value->firstConfoundPredictor = taskPredictors + 1;
        const std::string text = morvane::sdmText(*matrix.value);
        if (!bench::writeTextFile(folder.file(run + "_" + run + ".sdm"), text) ||
            !bench::writeTextFile(folder.file(run + "_" + run + "_3DMC_z.sdm"), text) ||
            !bench::writeTextFile(folder.file(run + "_3DMC.sdm"),
                                  bench::motionSdmText(bench::realisticRows, static_cast<std::uint32_t>(g + 500))))
            std::abort();
    }
    if (!bench::writeTextFile(folder.file("file-list.txt"), list)) std::abort();
}

// Read, figures, FD and flags of one group: what the report computes before it draws.
void reportFiguresOfOneGroup(benchmark::State& state) {
    const bench::ScratchFolder folder("report-figures");
    writeStudy(folder, 1);
    const std::string matrixPath = folder.file("run1_run1_3DMC_z.sdm");
    const std::string motionPath = folder.file("run1_3DMC.sdm");
    const morvane::ReportSettings settings;
    for (auto _ : state) {
        const auto matrix = morvane::readSdmFile(matrixPath);
        auto figures = morvane::matrixFigures(*matrix.value);
        morvane::RunReport run;
        run.predictors = std::move(figures.value->predictors);
        run.rank = figures.value->rank;
        run.nonZeroColumns = figures.value->nonZeroColumns;
        run.framewiseDisplacement =
            morvane::groupMotion(motionPath, "run1_3DMC.sdm", matrix.value->dataPoints, settings.fdThresholdMm).figures;
        run.flags = morvane::runFlags(run, settings);
        benchmark::DoNotOptimize(run);
    }
}
BENCHMARK(reportFiguresOfOneGroup)->Unit(benchmark::kMillisecond);

// The decompositions alone, on a matrix in memory.
void matrixFiguresAlone(benchmark::State& state) {
    auto matrix = morvane::parseSdm(bench::designMatrixText(bench::realisticRows, bench::realisticPredictors));
    matrix.value->firstConfoundPredictor = taskPredictors + 1;
    for (auto _ : state) benchmark::DoNotOptimize(morvane::matrixFigures(*matrix.value));
}
BENCHMARK(matrixFiguresAlone)->Unit(benchmark::kMillisecond);

// `morvane report` of a whole study, without the process around it.
void reportOfHundredGroups(benchmark::State& state) {
    const bench::ScratchFolder folder("report-study");
    writeStudy(folder, studyGroups);
    const std::string listPath = folder.file("file-list.txt");
    const auto list = morvane::readFileList(listPath);
    const std::string page = folder.file("report.html");
    for (auto _ : state) {
        const auto groups = morvane::sourcesBesideList(*list.value, morvane::folderOf(listPath), std::nullopt);
        const morvane::WrittenReport written = morvane::writeStudyReport(groups, listPath, {}, page);
        if (!written.error.empty() || written.report.runs.size() != studyGroups) std::abort();
    }
    // Sizes on standard error: the CSV of a run takes no counters that only some benchmarks have.
    std::fprintf(stderr, "report of %d groups: page %.1f MB, JSON file %.1f MB\n", studyGroups,
                 static_cast<double>(std::filesystem::file_size(page)) / 1e6,
                 static_cast<double>(std::filesystem::file_size(morvane::jsonPathBeside(page))) / 1e6);
}
BENCHMARK(reportOfHundredGroups)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
