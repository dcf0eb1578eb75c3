// A scratch folder for the files a benchmark reads and writes, removed at the end; the
// host's log pane replaced by one that drops every line, so that only the plugin's own
// work is measured; and the main of a benchmark program.
#pragma once

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace bench {

class ScratchFolder {
public:
    // Under $QUORVEL_BENCH_SCRATCH when set, else under the system's temporary folder.
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Binds zrLogText to a function that does nothing with the line.
void installSilentHostLog();

// Runs the benchmarks that the command line chooses, after the program has set up what its
// figures depend on (the allocator, the log pane); 1 for an option Google Benchmark does not know.
inline int runBenchmarks(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench
