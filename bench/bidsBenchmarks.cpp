// morvane's imports of BIDS tables, as `morvane import` does them, file to file: a 100,000-row
// events table into a protocol, and a confound table of 2,000 rows and 300 columns into a
// motion file (read, converted, written atomically to disk). Beside them the table reader
// alone and the conversions from memory.
#include <benchmark/benchmark.h>

#include <charconv>
#include <random>
#include <string>

#include "bench/benchScratch.h"
#include "bids/confoundsToMotion.h"
#include "bids/eventsToProtocol.h"
#include "bids/outputFile.h"
#include "formats/tsvTable.h"
#include "headless/atomicReplace.h"
#include "formats/wholeFile.h"

namespace {

using namespace morvane;

const bench::ScratchFolder& scratch() {
    static const bench::ScratchFolder folder("morvane-bench-bids");
    return folder;
}

void appendShortest(std::string& text, double value) {
    char number[32];
    text.append(number, static_cast<std::size_t>(std::to_chars(number, number + sizeof number, value).ptr - number));
}

// An events table as a stimulus program logs a long session: onsets in milliseconds' steps,
// eight conditions, response times with misses, stimulus files, a row of n/a now and then.
std::string eventsTable(int rows) {
    static const char* const conditions[] = {"famous face", "unfamiliar face", "scrambled", "house",
                                             "visage effray\xC3\xA9", "button press", "fixation", "catch trial"};
    std::mt19937 random(14);
    std::string text = "onset\tduration\ttrial_type\tresponse_time\tstim_file\tintensity\n";
    double onset = 0.0;
    for (int row = 0; row < rows; ++row) {
        onset += static_cast<double>(random() % 4000 + 500) / 1000.0;
        if (random() % 97 == 0) {
            text += "n/a\tn/a\tn/a\tn/a\tn/a\tn/a\n";
            continue;
        }
        const unsigned condition = random() % 8;
        appendShortest(text, onset);
        text += condition == 5 ? "\t0\t" : "\t2.0\t";
        text += conditions[condition];
        text += '\t';
        if (random() % 5 == 0)
            text += "n/a";
        else
            appendShortest(text, static_cast<double>(random() % 1500 + 200) / 1000.0);
        text += "\tstimuli/set" + std::to_string(condition) + "/item" + std::to_string(random() % 200) + ".png\t";
        appendShortest(text, static_cast<double>(random() % 100) / 100.0);
        text += '\n';
    }
    return text;
}

// A confound table as a pipeline writes one: 300 columns, the motion ones among them, the
// derivatives n/a in the first row, numbers at full precision (scientific below 1e-4).
std::string confoundTable(int rows, int columns) {
    std::mt19937_64 random(15);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::vector<std::string> names = {"global_signal", "csf", "white_matter", "std_dvars", "dvars",
                                      "framewise_displacement"};
    for (const char* motion : {"trans_x", "trans_y", "trans_z", "rot_x", "rot_y", "rot_z"}) {
        names.push_back(motion);
        names.push_back(std::string(motion) + "_derivative1");
        names.push_back(std::string(motion) + "_power2");
        names.push_back(std::string(motion) + "_derivative1_power2");
    }
    for (int k = 0; static_cast<int>(names.size()) < columns; ++k) names.push_back("a_comp_cor_" + std::to_string(k));
    std::string text;
    for (std::size_t c = 0; c < names.size(); ++c) text += (c ? "\t" : "") + names[c];
    text += '\n';
    for (int row = 0; row < rows; ++row) {
        for (std::size_t c = 0; c < names.size(); ++c) {
            if (c) text += '\t';
            const bool derivative = names[c].find("derivative") != std::string::npos || names[c].find("dvars") != std::string::npos ||
                                    names[c] == "framewise_displacement";
            if (row == 0 && derivative) {
                text += "n/a";
                continue;
            }
            const double scale = names[c].rfind("rot_", 0) == 0 ? 1e-3 : names[c].rfind("trans_", 0) == 0 ? 0.1 : 10.0;
            appendShortest(text, normal(random) * scale);
        }
        text += '\n';
    }
    return text;
}

const std::string& eventsFile() {
    static const std::string path = [] {
        const std::string file = scratch().file("sub-01_task-bench_events.tsv");
        const std::string failure = writeOutputFile(file, eventsTable(100'000));
        if (!failure.empty()) throw std::runtime_error(failure);
        return file;
    }();
    return path;
}

const std::string& confoundsFile() {
    static const std::string path = [] {
        const std::string file = scratch().file("sub-01_task-bench_desc-confounds_timeseries.tsv");
        const std::string failure = writeOutputFile(file, confoundTable(2'000, 300));
        if (!failure.empty()) throw std::runtime_error(failure);
        return file;
    }();
    return path;
}

// ---------------------------------------------------------------- the commands' work

void importEventsFileToFile(benchmark::State& state) {
    const std::string& input = eventsFile();
    const std::string output = scratch().file("run1.prt");
    EventsOptions options;
    options.weightsColumn = "intensity";
    options.experiment = "bench";
    for (auto _ : state) {
        const ParseResult<TsvTable> table = readTsvFile(input);
        if (!table) state.SkipWithError(table.error.c_str());
        const ParseResult<ImportedProtocol> imported = protocolFromEvents(*table.value, options);
        if (!imported) state.SkipWithError(imported.error.c_str());
        const std::string failure = writeOutputFile(output, protocolText(imported.value->protocol));
        if (!failure.empty()) state.SkipWithError(failure.c_str());
    }
}
BENCHMARK(importEventsFileToFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void importConfoundsFileToFile(benchmark::State& state) {
    const std::string& input = confoundsFile();
    const std::string output = scratch().file("run1_3DMC.sdm");
    for (auto _ : state) {
        const ParseResult<TsvTable> table = readTsvFile(input);
        if (!table) state.SkipWithError(table.error.c_str());
        const ParseResult<ImportedMotion> imported = motionFromConfounds(*table.value);
        if (!imported) state.SkipWithError(imported.error.c_str());
        const std::string failure = writeOutputFile(output, sdmText(imported.value->motion));
        if (!failure.empty()) state.SkipWithError(failure.c_str());
    }
}
BENCHMARK(importConfoundsFileToFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---------------------------------------------------------------- their parts, from memory

void readTable(benchmark::State& state, const std::string& (*file)(), const char* name) {
    const std::string text = readWholeFile(file()).value.value();
    for (auto _ : state) {
        const ParseResult<TsvTable> table = parseTsvTable(text, name);
        benchmark::DoNotOptimize(table.value->rowCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK_CAPTURE(readTable, events, eventsFile, "events.tsv")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readTable, confounds, confoundsFile, "confounds.tsv")->Unit(benchmark::kMillisecond);

void eventsToProtocol(benchmark::State& state) {
    const TsvTable table = parseTsvTable(readWholeFile(eventsFile()).value.value()).value.value();
    EventsOptions options;
    options.weightsColumn = "intensity";
    for (auto _ : state) {
        const ParseResult<ImportedProtocol> imported = protocolFromEvents(table, options);
        benchmark::DoNotOptimize(imported.value->events);
    }
}
BENCHMARK(eventsToProtocol)->Unit(benchmark::kMillisecond);

void protocolTextOfEvents(benchmark::State& state) {
    const TsvTable table = parseTsvTable(readWholeFile(eventsFile()).value.value()).value.value();
    EventsOptions options;
    options.weightsColumn = "intensity";
    const Protocol protocol = protocolFromEvents(table, options).value.value().protocol;
    for (auto _ : state) benchmark::DoNotOptimize(protocolText(protocol).size());
}
BENCHMARK(protocolTextOfEvents)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
