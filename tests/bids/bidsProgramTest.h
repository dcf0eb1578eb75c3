// What the tests of morvane's BIDS commands share: a scratch copy of the example study with
// the realistic tables beside it, morvane run in it, and a reader of tab-separated numbers
// of its own (strtod), independent of the one morvane uses.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/sdmFile.h"
#include "tests/hardening/morvaneProcess.h"
#include "tests/headless/testFiles.h"

namespace morvane::bidstest {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out, err;
};

inline Outcome runIn(const std::string& folder, std::vector<std::string> command) {
    hardening::ProcessOptions options;
    options.command = std::move(command);
    options.folder = folder;
    const hardening::ProcessResult result = hardening::runProcess(options);
    EXPECT_TRUE(result.started) << hardening::describe(result);
    EXPECT_EQ(hardening::sanitizerReport(result.err), "") << result.err;
    return {result.exitStatus, result.out, result.err};
}

inline Outcome morvaneIn(const std::string& folder, const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {MORVANE_PROGRAM};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runIn(folder, command);
}

// The batch run's answers: two-gamma, value 1, every condition, confounds as they are.
inline const std::vector<std::string> batchAnswers = {"--list", "file-list.txt", "--hrf", "two-gamma", "--value", "1",
                                                      "--skip-first", "no", "--z-transform", "no", "--vmr", "anatomy.vmr"};

// A scratch copy of the example study, with the tables of tests/data/bids in `bids/`.
class StudyCopy : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(EXAMPLE_STUDY, scratch.path(), fs::copy_options::recursive);
        fs::create_directory(at("bids"));
        fs::copy(BIDS_DATA, at("bids"), fs::copy_options::recursive);
    }
    std::string at(const std::string& name) const { return scratch.file(name); }
    Outcome morvane(const std::vector<std::string>& arguments) const { return morvaneIn(scratch.path(), arguments); }
    SdmContent sdm(const std::string& name) const {
        const auto parsed = readSdmFile(at(name));
        EXPECT_TRUE(parsed) << name << ": " << parsed.error;
        return parsed ? *parsed.value : SdmContent{};
    }

    testing::ScratchFolder scratch;
};

// Lines split at tabs; "" cells kept.
inline std::vector<std::vector<std::string>> tabRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> cells;
        std::size_t from = 0;
        for (;;) {
            const std::size_t tab = line.find('\t', from);
            cells.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
            if (tab == std::string::npos) break;
            from = tab + 1;
        }
        rows.push_back(std::move(cells));
        start = end + 1;
    }
    return rows;
}

// A whole cell as strtod reads it; NaN for anything else.
inline double strtodCell(const std::string& cell) {
    if (cell.empty()) return std::nan("");
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(cell.c_str(), &end);
    return *end == '\0' ? value : std::nan("");
}

// The path of a program found on PATH, or "".
inline std::string programOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const std::string candidate = folders.substr(start, end - start) + "/" + name;
        if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return {};
}

inline bool toolsRequired() {
    return std::getenv("QUORVEL_REQUIRE_TOOLS") != nullptr && std::string(std::getenv("QUORVEL_REQUIRE_TOOLS")) == "1";
}

}  // namespace morvane::bidstest
