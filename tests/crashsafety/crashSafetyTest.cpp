// morvane killed with SIGKILL at random moments while it saves a batch of VTCs. After every
// kill each VTC must be either the original file or the complete new one (the protocol in
// its header, every data byte the same), and a rerun must complete and leave no temporary
// file behind. Up to a hundred trials, bounded in time.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "formats/vtcFile.h"
#include "tests/hardening/morvaneProcess.h"
#include "tests/headless/testFiles.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int scanCount = 6;
constexpr int trialCount = 100;
constexpr auto timeBound = std::chrono::seconds(50);

using morvane::testing::readFile;
using morvane::testing::writeFile;

std::string scanName(int k) { return "scan" + std::to_string(k); }

enum class VtcState { Original, Saved, Broken };

struct Scan {
    std::string original;  // the whole file before any run
    std::string data;      // its bytes after the header
};

class CrashSafety : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "morvane-crash-safety-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        // Six runs of the example's third protocol, each with a VTC of about 1.6 MB, so that
        // most of a run is spent saving VTCs.
        const std::string template3 = readFile(fs::path(EXAMPLE_STUDY) / "run3.vtc");
        std::istringstream in(template3);
        auto header = morvane::parseVtcHeader(in);
        ASSERT_TRUE(header) << header.error;
        header.value->bounds = {0, 20, 0, 20, 0, 10};
        header.value->resolution = 1;
        header.value->dataType = 2;
        std::string list = std::to_string(scanCount) + "\n";
        for (int k = 1; k <= scanCount; ++k) {
            Scan scan;
            scan.data.resize(morvane::vtcDataBytes(*header.value));
            for (std::size_t i = 0; i < scan.data.size(); ++i) scan.data[i] = static_cast<char>((i * 131 + k) & 0xFF);
            scan.original = morvane::vtcHeaderBytes(*header.value) + scan.data;
            scans.push_back(scan);
            fs::copy_file(fs::path(EXAMPLE_STUDY) / "run3.prt", folder / (scanName(k) + ".prt"));
            list += scanName(k) + ".prt\n" + scanName(k) + ".vtc\n";
        }
        writeFile(folder / "file-list.txt", list);
        restoreOriginals();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    void restoreOriginals() {
        for (int k = 1; k <= scanCount; ++k) writeFile(folder / (scanName(k) + ".vtc"), scans[k - 1].original);
    }

    hardening::ProcessOptions options() const {
        hardening::ProcessOptions run;
        run.command = {MORVANE_PROGRAM, "--list", "file-list.txt", "--hrf", "two-gamma", "--value", "1",
                       "--skip-first", "no", "--z-transform", "no"};
        run.folder = folder.string();
        return run;
    }

    VtcState stateOf(int k) const {
        const std::string bytes = readFile(folder / (scanName(k) + ".vtc"));
        const Scan& scan = scans[k - 1];
        if (bytes == scan.original) return VtcState::Original;
        std::istringstream in(bytes);
        auto header = morvane::parseVtcHeader(in);
        if (header && header.value->protocolNames == std::vector<std::string>{scanName(k) + ".prt"} &&
            bytes.compare(header.value->headerLength, std::string::npos, scan.data) == 0)
            return VtcState::Saved;
        return VtcState::Broken;
    }

    std::vector<std::string> temporaryFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (name.find(".morvane-") != std::string::npos) names.push_back(name);
        }
        return names;
    }

    fs::path folder;
    std::vector<Scan> scans;
};

TEST_F(CrashSafety, EveryVtcIsOldOrNewAfterAKillAndARerunCompletesWithoutLeftovers) {
    // How long an undisturbed run takes sets the window for the kills.
    const auto started = Clock::now();
    const hardening::ProcessResult full = hardening::runProcess(options());
    const auto runTime = Clock::now() - started;
    ASSERT_EQ(full.exitStatus, 0) << hardening::describe(full);
    for (int k = 1; k <= scanCount; ++k) ASSERT_EQ(stateOf(k), VtcState::Saved) << scanName(k);

    std::mt19937 random(20240607);
    const auto window = std::chrono::duration_cast<std::chrono::microseconds>(runTime) * 11 / 10;
    std::uniform_int_distribution<long long> moment(0, window.count());
    int trials = 0, killedMidway = 0, leftTemporaryFiles = 0;
    const auto deadline = Clock::now() + timeBound;
    while (trials < trialCount && Clock::now() < deadline) {
        ++trials;
        restoreOriginals();
        const pid_t pid = hardening::startQuietProcess(options());
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);

        int saved = 0;
        for (int k = 1; k <= scanCount; ++k) {
            const VtcState state = stateOf(k);
            ASSERT_NE(state, VtcState::Broken) << scanName(k) << ".vtc is neither the original nor the new file after trial "
                                               << trials;
            saved += state == VtcState::Saved;
        }
        killedMidway += saved > 0 && saved < scanCount;
        leftTemporaryFiles += !temporaryFiles().empty();

        const hardening::ProcessResult rerun = hardening::runProcess(options());
        ASSERT_EQ(rerun.exitStatus, 0) << "rerun after trial " << trials << ": " << hardening::describe(rerun);
        for (int k = 1; k <= scanCount; ++k) ASSERT_EQ(stateOf(k), VtcState::Saved) << scanName(k) << ", trial " << trials;
        const std::vector<std::string> left = temporaryFiles();
        ASSERT_TRUE(left.empty()) << "after the rerun of trial " << trials << ": " << left.front();
    }
    std::cout << trials << " trials in a window of " << window.count() << " us: " << killedMidway
              << " killed between two VTC saves or during one, " << leftTemporaryFiles
              << " left a temporary file for the rerun to clear\n";
    // Kills that never land inside the batch would prove nothing.
    EXPECT_GT(killedMidway, 0);
    EXPECT_GE(trials, 20) << "too few trials within the time bound";
}

}  // namespace
