// morvane end to end, checked for leaks and memory errors: under valgrind in the normal
// build, under LeakSanitizer (which the sanitizer build links into every program) there.
// The runs take the successful path and the paths of failure, which leak more easily.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/hardening/morvaneProcess.h"

#if defined(__SANITIZE_ADDRESS__)
#define QUORVEL_LEAK_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORVEL_LEAK_SANITIZER 1
#endif
#endif

namespace {

namespace fs = std::filesystem;

struct LeakCase {
    const char* name;
    void (*breakStudy)(const fs::path& folder);
    std::vector<std::string> arguments;
    int exitStatus;
};

void append(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::app | std::ios::binary) << text; }

const std::vector<std::string> answers = {"--list", "file-list.txt", "--hrf", "two-gamma", "--value", "1",
                                          "--skip-first", "yes", "--z-transform", "yes", "--vmr", "anatomy.vmr"};

const LeakCase cases[] = {
    {"ExampleStudy", [](const fs::path&) {}, answers, 0},
    {"EveryGroupBroken",
     [](const fs::path& folder) {
         fs::remove(folder / "run1_HR.rtc");                          // a confound file missing
         fs::resize_file(folder / "run2_RVT.sdm", 3000);              // one cut short
         std::ofstream(folder / "run3.prt", std::ios::binary) << "FileVersion: 2\nNrOfConditions: 9\n";
         append(folder / "file-list.txt", "run4.prt run4.vtc\n");     // a group whose files are missing
     },
     answers, 1},
    {"ListRefusedForAnOverlongEntry",
     [](const fs::path& folder) { append(folder / "file-list.txt", std::string(2000, 'x') + ".prt\n"); }, answers, 1},
    {"UsageError", [](const fs::path&) {}, {"--hrf", "three-gamma"}, 2},
    // The BIDS commands run after the command line is gone: every option they took is used.
    {"ImportEventsWithEveryOption",
     [](const fs::path& folder) {
         std::ofstream(folder / "events.tsv", std::ios::binary)
             << "onset\tduration\tcondition\tweight\n1\t2\tgo\t0.5\n3\t0\tstop\tn/a\n";
     },
     {"import", "events", "events.tsv", "--output", "events.prt", "--condition-column", "condition",
      "--weights-column", "weight", "--experiment", "every option"},
     0},
    {"ImportEventsRefused",
     [](const fs::path& folder) { std::ofstream(folder / "events.tsv", std::ios::binary) << "onset\n1\n"; },
     {"import", "events", "events.tsv", "--output", "events.prt"}, 1},
    {"ImportConfoundsAndExport",
     [](const fs::path& folder) {
         std::ofstream(folder / "confounds.tsv", std::ios::binary)
             << "trans_x\ttrans_y\ttrans_z\trot_x\trot_y\trot_z\nn/a\t0\t0\t0\t0\t0\n0.1\t0.2\t0.3\t1e-3\t2e-3\t3e-3\n";
     },
     {"import", "confounds", "confounds.tsv", "--output", "run9_3DMC.sdm"}, 0},
    {"ExportToFsl", [](const fs::path&) {}, {"export", "run1_RVT.sdm", "--output", "design.mat", "--format", "fsl"}, 0},
    // Confound models after the run, with the log file they append to, and for one design matrix.
    {"ConfoundModelsAfterTheRun", [](const fs::path&) {},
     [] {
         std::vector<std::string> arguments = answers;
         arguments.insert(arguments.end(), {"--motion-model", "24", "--spikes-fd", "0.025", "--log", "morvane.log"});
         return arguments;
     }(),
     0},
    {"ConfoundsWithATable",
     [](const fs::path& folder) {
         std::ofstream table(folder / "confounds.tsv", std::ios::binary);
         table << "csf\tcsf_derivative1\n";
         for (int row = 0; row < 150; ++row) table << row * 0.5 << '\t' << (row == 0 ? "n/a" : "0.5") << '\n';
     },
     {"confounds", "--design-matrix", "run1_RVT.sdm", "--motion", "run1_3DMC.sdm", "--motion-model", "12",
      "--spikes-fd", "0.025", "--z-transform", "--extra", "confounds.tsv", "--columns", "csf*", "--output", "model.sdm"},
     0},
};

void PrintTo(const LeakCase& c, std::ostream* out) { *out << c.name; }

class LeakCheck : public ::testing::TestWithParam<LeakCase> {};

TEST_P(LeakCheck, MorvaneEndsWithoutLeaksOrMemoryErrors) {
    const LeakCase& c = GetParam();
    std::string pattern = (fs::temp_directory_path() / "morvane-leak-check-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path folder = pattern;
    fs::copy(EXAMPLE_STUDY, folder, fs::copy_options::recursive);
    c.breakStudy(folder);

    hardening::ProcessOptions options;
    options.folder = folder.string();
#if defined(QUORVEL_LEAK_SANITIZER)
    options.command = {MORVANE_PROGRAM};
#else
    const std::string valgrind = VALGRIND_PROGRAM;
    if (valgrind.empty() || ::access(valgrind.c_str(), X_OK) != 0) {
        fs::remove_all(folder);
        GTEST_SKIP() << "valgrind was not found when the tests were configured";
    }
    // Memory errors and leaks of every kind that counts end the run with status 99.
    options.command = {valgrind, "--leak-check=full", "--errors-for-leak-kinds=definite,indirect,possible",
                       "--show-leak-kinds=definite,indirect,possible", "--error-exitcode=99", MORVANE_PROGRAM};
#endif
    options.command.insert(options.command.end(), c.arguments.begin(), c.arguments.end());
    const hardening::ProcessResult run = hardening::runProcess(options);
    fs::remove_all(folder);

    EXPECT_EQ(run.exitStatus, c.exitStatus) << hardening::describe(run);
    EXPECT_EQ(hardening::sanitizerReport(run.err), "") << hardening::describe(run);
#if !defined(QUORVEL_LEAK_SANITIZER)
    EXPECT_NE(run.err.find("ERROR SUMMARY: 0 errors"), std::string::npos) << run.err;
#endif
}

INSTANTIATE_TEST_SUITE_P(Morvane, LeakCheck, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<LeakCase>& info) { return std::string(info.param.name); });

}  // namespace
