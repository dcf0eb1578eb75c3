#include "bench/benchScratch.h"

#include <unistd.h>

#include <cstdlib>

#include "host/hostFunctionTable.h"

namespace bench {

ScratchFolder::ScratchFolder(const std::string& name) {
    const char* root = std::getenv("QUORVEL_BENCH_SCRATCH");
    const std::filesystem::path base =
        root != nullptr && *root != '\0' ? std::filesystem::path(root) : std::filesystem::temp_directory_path();
    path_ = base / (name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void installSilentHostLog() {
    hostFunctions.zrLogText = [](const char*) {};
}

}  // namespace bench
