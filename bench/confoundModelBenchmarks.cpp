// morvane's confound model for one protocol group, as the step after a batch run does it:
// the plugin's design matrix with confounds (2,000 rows, 40 predictors) and the motion file
// read, the 24 motion terms z-transformed, spike columns, the new file written atomically.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench/benchInputs.h"
#include "bench/benchScratch.h"
#include "confoundmodels/confoundModel.h"
#include "confoundmodels/modelFile.h"
#include "headless/allocatorSettings.h"
#include "motion/framewiseDisplacement.h"

namespace {

using namespace morvane;

// About one volume in fifty of the generated motion moves more than this.
constexpr const char* spikeThreshold = "0.15";

bench::ScratchFolder& scratch() {
    static bench::ScratchFolder folder("confound-model-bench");
    return folder;
}

ConfoundModelRequest twentyFourWithSpikes() {
    ConfoundModelRequest request;
    request.choice.motionModel = 24;
    request.choice.spikeThresholdText = spikeThreshold;
    request.choice.spikeThresholdMm = std::stod(spikeThreshold);
    request.zTransform = true;
    return request;
}

// The whole step for one group, from the files to the new file on disk. Argument: 1 when the
// file is new, 0 when it replaces the one of a run before.
void confoundModelOneGroup(benchmark::State& state) {
    const std::string designMatrix = scratch().file("run1_run1_3DMC_z.sdm");
    const std::string motion = scratch().file("run1_3DMC.sdm");
    const std::string output = scratch().file("run1_run1_3DMC_z_24P_FD0.15.sdm");
    if (!bench::writeTextFile(designMatrix, bench::designMatrixText(bench::realisticRows, bench::realisticPredictors)) ||
        !bench::writeTextFile(motion, bench::motionSdmText(bench::realisticRows)))
        state.SkipWithError("cannot write the inputs");
    const bool newFile = state.range(0) != 0;
    const ConfoundModelRequest request = twentyFourWithSpikes();
    int spikes = 0;
    for (auto _ : state) {
        if (newFile) {
            state.PauseTiming();
            std::filesystem::remove(output);
            state.ResumeTiming();
        }
        const ParseResult<SdmContent> matrix = readSdmFile(designMatrix);
        const ParseResult<SdmContent> movement = readMotionFile(motion);
        if (!matrix || !movement) {
            state.SkipWithError("the inputs do not read");
            break;
        }
        const ParseResult<ConfoundModel> model = buildConfoundModel(*matrix.value, *movement.value, request, output);
        if (!model || !writeModelFile(output, model.value->content).empty()) {
            state.SkipWithError("the model file was not written");
            break;
        }
        spikes = model.value->spikeColumns;
    }
    state.counters["spike columns"] = spikes;
    state.SetLabel(newFile ? "new file" : "file replaced");
}
BENCHMARK(confoundModelOneGroup)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The computation alone, in memory: terms, z-transform, spikes, the merged matrix.
void confoundModelInMemory(benchmark::State& state) {
    const ParseResult<SdmContent> matrix =
        parseSdm(bench::designMatrixText(bench::realisticRows, bench::realisticPredictors));
    const ParseResult<SdmContent> motion = parseSdm(bench::motionSdmText(bench::realisticRows));
    if (!matrix || !motion) {
        state.SkipWithError("the inputs do not parse");
        return;
    }
    const ConfoundModelRequest request = twentyFourWithSpikes();
    for (auto _ : state) {
        const ParseResult<ConfoundModel> model = buildConfoundModel(*matrix.value, *motion.value, request, "out.sdm");
        benchmark::DoNotOptimize(model.value->content.values.data());
    }
}
BENCHMARK(confoundModelInMemory)->Unit(benchmark::kMillisecond);

// The text of the model's file alone.
void confoundModelText(benchmark::State& state) {
    const ParseResult<SdmContent> matrix =
        parseSdm(bench::designMatrixText(bench::realisticRows, bench::realisticPredictors));
    const ParseResult<SdmContent> motion = parseSdm(bench::motionSdmText(bench::realisticRows));
    const ParseResult<ConfoundModel> model = buildConfoundModel(*matrix.value, *motion.value, twentyFourWithSpikes(), "out.sdm");
    for (auto _ : state) {
        const std::string text = sdmText(model.value->content);
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(confoundModelText)->Unit(benchmark::kMillisecond);

}  // namespace

// The allocator kept as morvane keeps it (see its main), so that the figures are morvane's.
int main(int argc, char** argv) {
    morvane::keepFreedMemoryForReuse();
    return bench::runBenchmarks(argc, argv);
}
