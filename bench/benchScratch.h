// A scratch folder for the files a benchmark reads and writes, removed at the end; and the
// host's log pane replaced by one that drops every line, so that only the plugin's own
// work is measured.
#pragma once

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

}  // namespace bench
