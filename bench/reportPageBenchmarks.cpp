// The report's page at study size: the pictures of one protocol group of 2,000 volumes and 40
// predictors, and the whole page of 100 such groups, with its size. The figures are computed
// once beforehand; only the drawing and the page are timed. The values are random (the
// hardest case for the PNG cells to compress), the first 24 predictors task, 15 confounds and
// the constant.
//
// Each reports the size of what it made as output_MB (one counter name: the CSV output of
// Google Benchmark wants the same counters in every row). QUORVEL_BENCH_PAGE=FILE writes the
// page of 100 groups to FILE instead of timing anything, to measure it or open it in a browser.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>

#include "bench/benchInputs.h"
#include "formats/sdmFile.h"
#include "report/matrixFigures.h"
#include "report/reportPage.h"

namespace {

constexpr int studyGroups = 100;
constexpr int taskPredictors = 24;

struct Group {
    morvane::SdmContent matrix;
    morvane::RunReport run;
};

Group makeGroup(int index) {
    Group group;
    auto parsed = morvane::parseSdm(bench::designMatrixText(bench::realisticRows, bench::realisticPredictors,
                                                             static_cast<std::uint32_t>(index + 1)));
    if (!parsed) std::abort();
    group.matrix = std::move(*parsed.value);
    group.matrix.firstConfoundPredictor = taskPredictors + 1;
    auto figures = morvane::matrixFigures(group.matrix);
    if (!figures) std::abort();
    morvane::RunReport& run = group.run;
    run.protocol = "sub-" + std::to_string(index + 1) + "/func/run-1.prt";
    run.timeCourse = "sub-" + std::to_string(index + 1) + "/func/run-1.vtc";
    run.designMatrix = "sub-" + std::to_string(index + 1) + "/func/run-1_run-1_3DMC_z.sdm";
    run.rows = group.matrix.dataPoints;
    run.predictors = std::move(figures.value->predictors);
    run.correlation = std::move(figures.value->correlation);
    run.rank = figures.value->rank;
    run.conditionNumber = figures.value->conditionNumber;
    // Head motion: small steps with a few jumps.
    std::mt19937 random(static_cast<std::uint32_t>(1000 + index));
    std::exponential_distribution<double> step(8.0);
    morvane::MotionFigures motion;
    motion.series.push_back(0.0);
    for (int volume = 1; volume < run.rows; ++volume) motion.series.push_back(step(random) + (volume % 397 == 0 ? 1.5 : 0.0));
    for (std::size_t i = 1; i < motion.series.size(); ++i) {
        motion.mean += motion.series[i] / static_cast<double>(motion.series.size() - 1);
        motion.max = std::max(motion.max, motion.series[i]);
        motion.volumesOverThreshold += motion.series[i] > 0.5;
    }
    run.framewiseDisplacement = motion;
    for (int i = 0; i < 5; ++i) run.logLines.push_back("Design matrix of " + run.protocol + ": line " + std::to_string(i));
    return group;
}

const std::vector<Group>& study() {
    static const std::vector<Group> groups = [] {
        std::vector<Group> made;
        for (int i = 0; i < studyGroups; ++i) made.push_back(makeGroup(i));
        return made;
    }();
    return groups;
}

std::string studyPage() {
    morvane::StudyReport report;
    report.morvaneVersion = "bench";
    report.list = "study/file-list.txt";
    std::vector<morvane::RunPictures> pictures;
    for (const Group& group : study()) {
        report.runs.push_back(group.run);
        pictures.push_back(morvane::drawRunPictures(group.run, &group.matrix, report.settings));
    }
    return morvane::reportPage(report, pictures);
}

void drawRunPicturesOfOneGroup(benchmark::State& state) {
    const Group& group = study().front();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const morvane::RunPictures pictures = morvane::drawRunPictures(group.run, &group.matrix, {});
        bytes = pictures.designMatrix.size() + pictures.correlation.size() + pictures.framewiseDisplacement.size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["output_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(drawRunPicturesOfOneGroup)->Unit(benchmark::kMillisecond);

void reportPageOfHundredGroups(benchmark::State& state) {
    study();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string page = studyPage();
        bytes = page.size();
        benchmark::DoNotOptimize(page.data());
    }
    state.counters["output_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(reportPageOfHundredGroups)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (const char* path = std::getenv("QUORVEL_BENCH_PAGE")) {
        const std::string page = studyPage();
        std::ofstream file(path, std::ios::binary);
        file << page;
        return file.flush() ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
