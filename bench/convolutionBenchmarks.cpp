// The headless host's design matrix: predictors made from a protocol of 40 conditions with
// 100 events each over 2,000 volumes, convolved with the response function, and the SDM
// text made from them.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/benchInputs.h"
#include "bench/benchScratch.h"
#include "headless/designMatrix.h"
#include "formats/protocolFile.h"
#include "headless/responseFunction.h"
#include "formats/sdmFile.h"
#include "headless/allocatorSettings.h"

namespace {

using namespace morvane;

constexpr int conditions = 40;
constexpr int eventsPerCondition = 100;
constexpr int volumes = bench::realisticRows;
constexpr double repetitionTimeMs = 2000.0;

const Protocol& benchProtocol(bool milliseconds) {
    static const auto parse = [](bool ms) {
        std::vector<std::string> warnings;
        ParseResult<Protocol> parsed =
            parseProtocol(bench::protocolText(conditions, eventsPerCondition, volumes, ms, repetitionTimeMs), warnings);
        return parsed ? *parsed.value : Protocol{};
    };
    static const Protocol inVolumes = parse(false);
    static const Protocol inMilliseconds = parse(true);
    return milliseconds ? inMilliseconds : inVolumes;
}

const RunTiming timing{repetitionTimeMs / 1000.0, volumes};

// The convolution alone: the 40 predictors, already set from their conditions, convolved as
// the plugin has the host do it, one after another.
void convolveConditions(benchmark::State& state) {
    const bool milliseconds = state.range(0) != 0;
    const ResponseFunction function = state.range(1) == 0 ? ResponseFunction::TwoGamma : ResponseFunction::Boynton;
    const Protocol& protocol = benchProtocol(milliseconds);
    if (protocol.conditions.size() != conditions) state.SkipWithError("the protocol was not made");
    for (auto _ : state) {
        state.PauseTiming();
        auto matrix = std::make_unique<DesignMatrix>();
        for (const ProtocolCondition& condition : protocol.conditions) {
            Predictor& predictor = addPredictor(*matrix, condition.name, volumes);
            setPredictorFromCondition(predictor, condition, protocol.inMilliseconds, timing, 1.0f);
        }
        state.ResumeTiming();
        for (const auto& predictor : matrix->predictors) convolvePredictor(*predictor, function, Convention{}, timing);
        benchmark::DoNotOptimize(matrix->predictors.back()->values.data());
        state.PauseTiming();
        matrix.reset();
        state.ResumeTiming();
    }
    state.SetLabel(std::string(milliseconds ? "msec" : "volumes") +
                   (function == ResponseFunction::TwoGamma ? ", two-gamma" : ", Boynton"));
}
BENCHMARK(convolveConditions)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

// One predictor per condition of the protocol, set from it and convolved (two-gamma), as the
// plugin has the host make them.
DesignMatrix convolvedPredictors(const Protocol& protocol) {
    DesignMatrix matrix;
    for (const ProtocolCondition& condition : protocol.conditions) {
        Predictor& predictor = addPredictor(matrix, condition.name, volumes);
        setPredictorFromCondition(predictor, condition, protocol.inMilliseconds, timing, 1.0f);
        convolvePredictor(predictor, ResponseFunction::TwoGamma, Convention{}, timing);
    }
    return matrix;
}

// The predictors made from the protocol and convolved: setting and convolving together.
void predictorsFromProtocol(benchmark::State& state) {
    const Protocol& protocol = benchProtocol(true);
    for (auto _ : state) {
        DesignMatrix matrix = convolvedPredictors(protocol);
        benchmark::DoNotOptimize(matrix.predictors.back()->values.data());
    }
    state.SetLabel("msec, two-gamma");
}
BENCHMARK(predictorsFromProtocol)->Unit(benchmark::kMillisecond);

// The whole design matrix of the host: predictors, constant and the SDM text.
void designMatrixText(benchmark::State& state) {
    const Protocol& protocol = benchProtocol(true);
    std::size_t bytes = 0;
    for (auto _ : state) {
        DesignMatrix matrix = convolvedPredictors(protocol);
        Predictor& constant = addPredictor(matrix, "Constant", volumes);
        for (float& value : constant.values) value = 1.0f;
        const std::string text = sdmText(designMatrixContent(matrix, volumes));
        bytes += text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(designMatrixText)->Unit(benchmark::kMillisecond);

}  // namespace

// The allocator kept as morvane keeps it (see its main), so that the figures are morvane's.
int main(int argc, char** argv) {
    morvane::keepFreedMemoryForReuse();
    return bench::runBenchmarks(argc, argv);
}
