// The plugin's confound work: reading SDM and RTC text, formatting numbers, writing the
// extended design matrix, and one protocol group's whole confound stage. The standard
// library's stream extraction and insertion run beside them for comparison.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <ostream>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "batch/fileList.h"
#include "bench/benchInputs.h"
#include "bench/benchScratch.h"
#include "confounds/confoundRecord.h"
#include "confounds/confoundStage.h"
#include "confounds/numberFormat.h"
#include "confounds/readConfoundFiles.h"
#include "confounds/writeDesignMatrixWithConfounds.h"
#include "confounds/zTransform.h"

namespace {

// Large inputs: enough text that the figure is the steady rate, not the start-up.
constexpr int largeRows = 200'000;

const bench::ScratchFolder& scratch() {
    static const bench::ScratchFolder folder("quorvel-bench-confounds");
    return folder;
}

// A stream buffer that counts what it is given and keeps nothing.
class CountingBuffer : public std::streambuf {
public:
    std::size_t count() const { return count_; }

protected:
    std::streamsize xsputn(const char*, std::streamsize size) override {
        count_ += static_cast<std::size_t>(size);
        return size;
    }
    int_type overflow(int_type c) override {
        if (c != traits_type::eof()) ++count_;
        return traits_type::not_eof(c);
    }

private:
    std::size_t count_ = 0;
};

const std::string& rtcText(int rows) {
    static const std::string large = bench::confoundRtcText(largeRows, bench::heartRateColumns);
    static const std::string realistic = bench::confoundRtcText(bench::realisticRows, bench::heartRateColumns);
    return rows == largeRows ? large : realistic;
}

const std::string& sdmText(int rows) {
    static const std::string large = bench::confoundSdmText(largeRows, bench::respirationColumns);
    static const std::string realistic = bench::confoundSdmText(bench::realisticRows, bench::respirationColumns);
    return rows == largeRows ? large : realistic;
}

const std::string& motionText(int rows) {
    static const std::string large = bench::motionSdmText(largeRows);
    static const std::string realistic = bench::motionSdmText(bench::realisticRows);
    return rows == largeRows ? large : realistic;
}

// ---------------------------------------------------------------- reading

void readRtc(benchmark::State& state) {
    const std::string& text = rtcText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto record = readConfoundsRtcFrom(text, "bench_HR.rtc", ConfoundKind::HeartRate);
        benchmark::DoNotOptimize(record->columns.data());
        if (!record->readOk) state.SkipWithError("the RTC text was not read");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(readRtc)->Arg(bench::realisticRows)->Arg(largeRows)->Unit(benchmark::kMillisecond);

void readConfoundSdm(benchmark::State& state) {
    const std::string& text = sdmText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto record = readConfoundsSdmFrom(text, "bench_RVT.sdm", ConfoundKind::Respiration);
        benchmark::DoNotOptimize(record->columns.data());
        if (!record->readOk) state.SkipWithError("the SDM text was not read");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(readConfoundSdm)->Arg(bench::realisticRows)->Arg(largeRows)->Unit(benchmark::kMillisecond);

void readMotionSdm(benchmark::State& state) {
    const std::string& text = motionText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto record = readMotionEstimatesSdmFrom(text, "bench_3DMC.sdm");
        benchmark::DoNotOptimize(record->motionColumns[0].data());
        if (!record->readOk) state.SkipWithError("the motion text was not read");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(readMotionSdm)->Arg(bench::realisticRows)->Arg(largeRows)->Unit(benchmark::kMillisecond);

// Through the path: the file is read in pieces as the tokens are used (from the page cache).
void readRtcFile(benchmark::State& state) {
    const std::string& text = rtcText(largeRows);
    const std::string path = scratch().file("large_HR.rtc");
    if (!bench::writeTextFile(path, text)) state.SkipWithError("cannot write the input");
    for (auto _ : state) {
        auto record = readConfoundsRtc(path.c_str(), ConfoundKind::HeartRate);
        benchmark::DoNotOptimize(record->columns.data());
        if (!record->readOk) state.SkipWithError("the RTC file was not read");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(readRtcFile)->Unit(benchmark::kMillisecond);

void readSdmFile(benchmark::State& state) {
    const std::string& text = sdmText(largeRows);
    const std::string path = scratch().file("large_RVT.sdm");
    if (!bench::writeTextFile(path, text)) state.SkipWithError("cannot write the input");
    for (auto _ : state) {
        auto record = readConfoundsSdm(path.c_str(), ConfoundKind::Respiration);
        benchmark::DoNotOptimize(record->columns.data());
        if (!record->readOk) state.SkipWithError("the SDM file was not read");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(readSdmFile)->Unit(benchmark::kMillisecond);

// For comparison: the same RTC text read by formatted stream extraction.
void streamExtractionBaseline(benchmark::State& state) {
    const std::string& text = rtcText(largeRows);
    for (auto _ : state) {
        std::istringstream in(text);
        std::string word;
        int version = 0, predictors = 0, points = 0;
        in >> word >> version >> word >> word >> word >> predictors >> word >> points;
        for (int i = 0; i < predictors; ++i) in >> word;
        double sum = 0.0;
        double number = 0.0;
        while (in >> number) sum += number;
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(streamExtractionBaseline)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------- number formats

std::vector<double> formatValues() {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(-1.5, 1.5);
    std::vector<double> values(1 << 16);
    for (double& value : values) value = unit(random);
    return values;
}

void formatDefaultNotation(benchmark::State& state) {
    const std::vector<double> values = formatValues();
    char text[longestDefaultNotation];
    std::size_t bytes = 0;
    for (auto _ : state) {
        for (double value : values) {
            char* end = writeDefaultNotation(text, value);
            bytes += static_cast<std::size_t>(end - text);
            benchmark::DoNotOptimize(text);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * values.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(formatDefaultNotation);

void formatFixedSixDecimals(benchmark::State& state) {
    const std::vector<double> values = formatValues();
    char text[longestFixedSixDecimals];
    std::size_t bytes = 0;
    for (auto _ : state) {
        for (double value : values) {
            char* end = writeFixedSixDecimals(text, value);
            bytes += static_cast<std::size_t>(end - text);
            benchmark::DoNotOptimize(text);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * values.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(formatFixedSixDecimals);

void printfBaseline(benchmark::State& state) {
    const std::vector<double> values = formatValues();
    const char* format = state.range(0) == 0 ? "%g" : "%4.6lf";
    char text[400];
    std::size_t bytes = 0;
    for (auto _ : state) {
        for (double value : values) {
            bytes += static_cast<std::size_t>(std::snprintf(text, sizeof text, format, value));
            benchmark::DoNotOptimize(text);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * values.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.SetLabel(format);
}
BENCHMARK(printfBaseline)->Arg(0)->Arg(1);

// For comparison: a design matrix's rows written by stream insertion.
void streamInsertionBaseline(benchmark::State& state) {
    const std::vector<double> values = formatValues();
    for (auto _ : state) {
        CountingBuffer sink;
        std::ostream out(&sink);
        for (std::size_t i = 0; i < values.size(); ++i) {
            out << values[i] << '\t';
            if (i % 50 == 49) out << '\n' << std::flush;
        }
        state.SetBytesProcessed(state.bytes_processed() + static_cast<std::int64_t>(sink.count()));
    }
}
BENCHMARK(streamInsertionBaseline);

// ---------------------------------------------------------------- writing

struct Records {
    std::unique_ptr<ConfoundRecord> motion;
    std::unique_ptr<ConfoundRecord> heartRate;
    std::unique_ptr<ConfoundRecord> respiration;
};

Records readRecords(int rows) {
    Records records;
    records.motion = readMotionEstimatesSdmFrom(motionText(rows), "bench_3DMC.sdm");
    records.heartRate = readConfoundsRtcFrom(rtcText(rows), "bench_HR.rtc", ConfoundKind::HeartRate);
    records.respiration = readConfoundsSdmFrom(sdmText(rows), "bench_RVT.sdm", ConfoundKind::Respiration);
    return records;
}

// The merge alone, from text in memory to a sink; the figure is output bytes per second.
void mergeInMemory(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const std::string designMatrix = bench::designMatrixText(rows, bench::realisticPredictors);
    const Records records = readRecords(rows);
    const ConfoundSet set{records.motion.get(), records.heartRate.get(), records.respiration.get()};
    std::int64_t bytes = 0;
    for (auto _ : state) {
        std::istringstream in(designMatrix);
        CountingBuffer sink;
        std::ostream out(&sink);
        const MergeOutcome outcome =
            mergeDesignMatrixWithConfounds(in, out, set, ConfoundWriterVariant::AllKinds, "bench.sdm");
        if (outcome != MergeOutcome::Written) state.SkipWithError("the merge did not write");
        bytes += static_cast<std::int64_t>(sink.count());
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(mergeInMemory)->Arg(bench::realisticRows)->Arg(largeRows)->Unit(benchmark::kMillisecond);

// The writer through its paths: the saved design matrix read back, the new file written.
void writeExtendedDesignMatrixFile(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const std::string designMatrix = scratch().file("writer_" + std::to_string(rows) + ".sdm");
    if (!bench::writeTextFile(designMatrix, bench::designMatrixText(rows, bench::realisticPredictors)))
        state.SkipWithError("cannot write the input");
    const Records records = readRecords(rows);
    std::int64_t bytes = 0;
    for (auto _ : state) {
        const std::string written =
            writeDesignMatrixWithAllConfounds(designMatrix, *records.motion, *records.heartRate, *records.respiration);
        state.PauseTiming();
        std::error_code error;
        bytes += static_cast<std::int64_t>(std::filesystem::file_size(written, error));
        state.ResumeTiming();
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(writeExtendedDesignMatrixFile)->Arg(bench::realisticRows)->Arg(largeRows)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------- one protocol group

// The plugin's own work for one group: three confound files read, z-transformed and merged
// into the saved design matrix of 2,000 rows and 40 predictors, the new file written.
void confoundStageOneGroup(benchmark::State& state) {
    const int rows = bench::realisticRows;
    const std::string designMatrix = scratch().file("group_run1.sdm");
    const std::string motion = scratch().file("group_run1_3DMC.sdm");
    const std::string heartRate = scratch().file("group_run1_HR.rtc");
    const std::string respiration = scratch().file("group_run1_RVT.sdm");
    const bool written = bench::writeTextFile(designMatrix, bench::designMatrixText(rows, bench::realisticPredictors)) &&
                         bench::writeTextFile(motion, motionText(rows)) &&
                         bench::writeTextFile(heartRate, rtcText(rows)) &&
                         bench::writeTextFile(respiration, sdmText(rows));
    if (!written) state.SkipWithError("cannot write the inputs");
    const bool zTransform = state.range(0) != 0;
    // A first run writes a new file; a repeated one empties the file of the run before, which
    // the file system then writes out at once when it is closed.
    const bool newFile = state.range(1) != 0;
    for (auto _ : state) {
        if (newFile) {
            state.PauseTiming();
            std::filesystem::remove(scratch().file(zTransform ? "group_run1_3DMC_z_HR_z_RVT_z.sdm" : "group_run1_3DMC_HR_RVT.sdm"));
            state.ResumeTiming();
        }
        const std::string output = addAllConfounds(designMatrix, motion.c_str(), heartRate.c_str(),
                                                   respiration.c_str(), zTransform);
        benchmark::DoNotOptimize(output.data());
    }
    state.SetLabel(std::string(zTransform ? "z-transformed" : "as read") + (newFile ? ", new file" : ", file replaced"));
}
BENCHMARK(confoundStageOneGroup)->Args({1, 1})->Args({1, 0})->Args({0, 1})->Args({0, 0})->Unit(benchmark::kMillisecond);

void zTransformRealisticColumns(benchmark::State& state) {
    std::vector<double> column(bench::realisticRows);
    std::mt19937 random(9);
    std::normal_distribution<double> noise(0.3, 2.0);
    for (auto _ : state) {
        state.PauseTiming();
        for (double& value : column) value = noise(random);
        state.ResumeTiming();
        zTransformColumn(column.data(), static_cast<std::int32_t>(column.size()));
        benchmark::DoNotOptimize(column.data());
    }
}
BENCHMARK(zTransformRealisticColumns);

// ---------------------------------------------------------------- the file list

void readFileListOfThousandGroups(benchmark::State& state) {
    const std::string path = scratch().file("list.txt");
    const std::string text = bench::fileListText(1000, "/data/study/subject01/session1/");
    if (!bench::writeTextFile(path, text)) state.SkipWithError("cannot write the list");
    for (auto _ : state) {
        std::optional<FileList> list = readFileList(path);
        if (!list) state.SkipWithError("the list was not read");
        classifyFileList(*list);
        benchmark::DoNotOptimize(list->protocolPositions.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(readFileListOfThousandGroups)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    bench::installSilentHostLog();
    return bench::runBenchmarks(argc, argv);
}
