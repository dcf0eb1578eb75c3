// Runs a fuzz target without libFuzzer on saved inputs: each file named on the command line,
// and each file in each folder named (in name order, so that runs repeat). The normal build
// runs every corpus and every crash ever found this way, so that none comes back.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputsIn(const fs::path& place) {
    std::vector<fs::path> inputs;
    std::error_code error;
    if (fs::is_directory(place, error)) {
        for (const fs::directory_entry& entry : fs::directory_iterator(place, error))
            if (entry.is_regular_file(error)) inputs.push_back(entry.path());
        std::sort(inputs.begin(), inputs.end());
    } else if (fs::is_regular_file(place, error)) {
        inputs.push_back(place);
    }
    return inputs;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE-OR-FOLDER...\n", argv[0]);
        return 2;
    }
    std::size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        for (const fs::path& input : inputsIn(argv[i])) {
            std::ifstream file(input, std::ios::binary);
            const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            if (!file.good() && !file.eof()) {
                std::fprintf(stderr, "cannot read %s\n", input.c_str());
                return 1;
            }
            // A copy of exactly the input's size, so that a read past its end is caught.
            std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
            std::fprintf(stderr, "%s\n", input.c_str());
            static std::uint8_t none = 0;  // libFuzzer hands over an address even for no bytes
            LLVMFuzzerTestOneInput(data.empty() ? &none : data.data(), data.size());
            ++count;
        }
    }
    std::fprintf(stderr, "%zu input(s) run\n", count);
    // A corpus that went missing must not pass as a clean run.
    return count > 0 ? 0 : 1;
}
