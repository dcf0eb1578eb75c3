// morvane's report end to end with the real plugin module: after a batch run of the example
// study (--report) and from the files an earlier run left (`morvane report`), with broken
// outputs, and with every exit status.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "formats/sdmFile.h"
#include "tests/hardening/morvaneProcess.h"
#include "tests/headless/testFiles.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using hardening::runMorvane;
using hardening::with;
using testing::readFile;
using testing::ScratchFolder;
using testing::writeFile;

const std::vector<std::string> answers = {"--list", "study/file-list.txt", "--hrf", "two-gamma", "--value", "1",
                                          "--skip-first", "yes", "--z-transform", "yes", "--vmr",
                                          "study/anatomy.vmr"};

// The JSON file, failing the test when it does not parse (as it would not with NaN or
// Infinity in place of a number). Tests keep it mutable: then a member or an entry that is
// not there reads as null instead of out of bounds.
Json readJson(const std::string& path) {
    const std::string text = readFile(path);
    try {
        return Json::parse(text);
    } catch (const std::exception& error) {
        ADD_FAILURE() << path << ": " << error.what();
        return Json::object();
    }
}

std::vector<std::string> strings(const Json& array) {
    std::vector<std::string> out;
    for (const Json& item : array) out.push_back(item.get<std::string>());
    return out;
}

// A batch run of the example study, in a folder of its own above the study.
class ReportEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        hardening::copyExampleStudy(folder.file("study"));
    }
    void runBatch(const std::vector<std::string>& more = {"--report", "page.html"}) {
        const auto run = runMorvane(folder.path(), with(answers, more));
        ASSERT_EQ(run.exitStatus, 0) << hardening::describe(run);
    }
    // `morvane report` on the study's list into r.html, unless `more` names others.
    hardening::ProcessResult report(const std::vector<std::string>& more) {
        std::vector<std::string> arguments = {"report"};
        for (const char* option : {"--list", "--output"}) {
            if (std::find(more.begin(), more.end(), option) != more.end()) continue;
            arguments.push_back(option);
            arguments.push_back(option == std::string("--list") ? "study/file-list.txt" : "r.html");
        }
        return runMorvane(folder.path(), with(arguments, more));
    }
    ScratchFolder folder;
};

TEST_F(ReportEndToEnd, BatchRunReportsEveryGroupOfTheExampleStudy) {
    // The run works in the list's folder; the page goes where the command line meant.
    runBatch();
    ASSERT_TRUE(fs::exists(folder.file("page.html")));
    EXPECT_FALSE(fs::exists(folder.file("study/page.html")));
    Json json = readJson(folder.file("page.json"));
    EXPECT_EQ(json["list"], "study/file-list.txt");
    EXPECT_EQ(json["settings"]["fdThreshold"], 0.5);
    ASSERT_EQ(json["runs"].size(), 3u);

    struct Expected {
        const char* protocol;
        const char* designMatrix;
        std::vector<std::string> tasks;
        int confounds;
        std::vector<std::string> flags;
        bool motion;
    };
    const Expected expected[] = {
        {"run1.prt", "run1_run1_3DMC_z_HR_z_RVT_z.sdm", {"Faces", "Houses"}, 10, {"task-confound-correlation"}, true},
        {"run2.prt", "run2_run2_3DMC_z_RVT_z.sdm", {"Faces", "Objects"}, 8, {"empty-condition"}, true},
        {"run3.prt", "run3_run3.sdm", {"Objects in LVF"}, 0, {}, false},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        const Json& run = json["runs"][i];
        const Expected& e = expected[i];
        SCOPED_TRACE(e.protocol);
        EXPECT_EQ(run["protocol"], e.protocol);
        EXPECT_EQ(run["status"], "ok");
        EXPECT_EQ(run["designMatrix"], e.designMatrix);
        const auto matrix = readSdmFile(folder.file("study/") + e.designMatrix);
        ASSERT_TRUE(matrix) << matrix.error;
        EXPECT_EQ(run["rows"], matrix.value->dataPoints);
        const Json& predictors = run["predictors"];
        ASSERT_EQ(predictors.size(), e.tasks.size() + e.confounds + 1);
        for (std::size_t p = 0; p < predictors.size(); ++p) {
            EXPECT_EQ(predictors[p]["name"], matrix.value->names[p]);
            const char* kind = p < e.tasks.size() ? "task" : p + 1 == predictors.size() ? "constant" : "confound";
            EXPECT_EQ(predictors[p]["kind"], kind) << p;
            if (p < e.tasks.size()) {
                EXPECT_EQ(predictors[p]["name"], e.tasks[p]);
            }
        }
        EXPECT_EQ(run["correlation"].size(), predictors.size());
        EXPECT_EQ(strings(run["flags"]), e.flags);
        EXPECT_EQ(run["framewiseDisplacement"].is_null(), !e.motion);
        if (e.motion) {
            EXPECT_EQ(run["framewiseDisplacement"]["series"].size(), matrix.value->dataPoints);
        }
    }
    // Objects never occurs in run 2: its column holds only zeros, hence the flag.
    const auto run2 = readSdmFile(folder.file("study/run2_run2_3DMC_z_RVT_z.sdm"));
    for (int t = 0; t < run2.value->dataPoints; ++t) ASSERT_EQ(run2.value->value(t, 1), 0.0);
    EXPECT_TRUE(json["runs"][1]["predictors"][1]["vif"].is_null());

    // The same figures from the files the run left, without the plugin.
    const auto again = report({});
    ASSERT_EQ(again.exitStatus, 0) << hardening::describe(again);
    EXPECT_NE(again.err.find("report of 3 protocol group(s)"), std::string::npos) << again.err;
    EXPECT_EQ(readJson(folder.file("r.json"))["runs"], json["runs"]);
}

TEST_F(ReportEndToEnd, ExitStatusesOfTheReport) {
    runBatch({});
    writeFile(folder.file("study/empty-list.txt"), "0\n");
    writeFile(folder.file("study/file-list.json"), "{\"someone else's\": 1}\n");
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* message;  // in standard error
    };
    const Case cases[] = {
        {{"--fail-on", "empty-condition"}, 4, "run2.prt: empty-condition"},
        {{"--fail-on", "high-motion,missing"}, 0, "written to"},
        {{"--fail-on", "high-motion", "--fail-on", "task-confound-correlation"}, 4, "run1.prt"},
        {{"--fd-threshold", "0.01", "--fail-on", "high-motion"}, 4, "run1.prt: high-motion"},
        {{"--fail-on", "high_vif"}, 2, "no flag is called \"high_vif\""},
        {{"--vif-limit", "0.5"}, 2, "--vif-limit"},
        {{"--correlation-limit", "1.5"}, 2, "--correlation-limit"},
        {{"--fd-threshold", "nan"}, 2, "--fd-threshold"},
        {{"--z-transform", "maybe"}, 2, "--z-transform"},
        {{"--output", "no-folder/r.html"}, 1, "cannot write"},
        {{"--output", "r.json"}, 2, "name the page FILE.html"},
        {{"--output", "study/run1_run1.sdm"}, 2, "name the page FILE.html"},
        {{"--output", "study/file-list.html"}, 2, "file-list.json is there and is no report of morvane"},
        {{"--list", "study/no-list.txt"}, 1, "no-list.txt"},
        {{"--list", "study/empty-list.txt"}, 1, "names no protocol"},
    };
    for (const Case& c : cases) {
        const auto run = report(c.arguments);
        SCOPED_TRACE(c.arguments.front() + " " + c.arguments.back());
        EXPECT_EQ(run.exitStatus, c.status) << hardening::describe(run);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    // Only the z-transformed extended design matrices are there.
    const auto without = report({"--z-transform", "no"});
    EXPECT_EQ(without.exitStatus, 0);
    Json json = readJson(folder.file("r.json"));
    EXPECT_EQ(json["runs"][0]["status"], "missing");
    EXPECT_EQ(json["runs"][0]["designMatrix"], "run1_run1.sdm");
    EXPECT_NE(json["runs"][0]["reason"].get<std::string>().find("run1_run1_3DMC_HR_RVT.sdm is not there"),
              std::string::npos);
    EXPECT_EQ(json["runs"][2]["status"], "ok");

    // The entries taken from the current folder, where none of the files is.
    const auto fromHere = report({"--paths-relative-to", "cwd"});
    EXPECT_EQ(fromHere.exitStatus, 0);
    Json here = readJson(folder.file("r.json"));
    for (const Json& run : here["runs"]) EXPECT_EQ(run["status"], "missing");
    EXPECT_EQ(here["runs"][2]["reason"], "the design matrix run3_run3.sdm is not there");
}

TEST_F(ReportEndToEnd, BatchRunKeepsItsExitStatus) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{"--report", "page.html", "--fail-on", "empty-condition"}, 0, "run2.prt: empty-condition"},
        {{"--report", "no-folder/page.html"}, 1, "the report could not be written"},
        {{"--fd-threshold", "0.2"}, 2, "go with --report"},
        {{"--report", "page.html", "--fail-on", "nothing"}, 2, "no flag is called"},
    };
    for (const Case& c : cases) {
        const auto run = runMorvane(folder.path(), with(answers, c.arguments));
        SCOPED_TRACE(c.arguments.front() + " " + c.arguments.back());
        EXPECT_EQ(run.exitStatus, c.status) << hardening::describe(run);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    // The run whose report could not be written did its work all the same.
    EXPECT_TRUE(fs::exists(folder.file("study/run3_run3.sdm")));
}

TEST_F(ReportEndToEnd, FailedGroupsOfABatchRunCarryTheRunChecksReason) {
    // run2's respiration file is broken: no extended design matrix for it.
    writeFile(folder.file("study/run2_RVT.sdm"), "FileVersion: 1\nNrOfPredictors: 2\n");
    const auto run = runMorvane(folder.path(), with(answers, {"--report", "page.html"}));
    ASSERT_EQ(run.exitStatus, 1) << hardening::describe(run);
    Json json = readJson(folder.file("page.json"));
    Json& failed = json["runs"][1];
    EXPECT_EQ(failed["status"], "failed");
    EXPECT_NE(failed["reason"].get<std::string>().find("run2_RVT.sdm"), std::string::npos) << failed["reason"];
    EXPECT_EQ(strings(failed["flags"]).front(), "failed");
    // The plugin began the extended design matrix but could not complete it; the figures come
    // from the design matrix without confounds.
    EXPECT_EQ(failed["designMatrix"], "run2_run2.sdm");
    EXPECT_EQ(failed["predictors"].size(), 3u);
    EXPECT_EQ(json["runs"][0]["status"], "ok");
    // The plugin's log of the group reaches the page.
    EXPECT_NE(readFile(folder.file("page.html")).find("Adding run2_RVT.sdm for SDM..."), std::string::npos);
}

// Outputs an earlier run left, broken in one way each; the report still has every group.
TEST_F(ReportEndToEnd, BrokenOutputsMakeClearEntries) {
    runBatch({});
    const std::string study = folder.file("study/");
    const std::string run1 = study + "run1_run1_3DMC_z_HR_z_RVT_z.sdm";
    const std::string original = readFile(run1);
    const auto run1Matrix = readSdmFile(run1);
    ASSERT_TRUE(run1Matrix);

    struct Case {
        const char* what;
        std::function<void()> breakIt;
        const char* status;
        const char* text;  // in the reason, or in the notes when the status is ok
    };
    const auto sdmWith = [&](int rows, int columns) {
        SdmContent m;
        m.dataPoints = rows;
        m.firstConfoundPredictor = std::min(columns, 2);
        m.includesConstant = columns > 0 ? 1 : 0;
        for (int c = 0; c < columns; ++c) m.names.push_back(c + 1 == columns ? "Constant" : "p" + std::to_string(c));
        m.colors.resize(static_cast<std::size_t>(columns));
        for (int i = 0; i < rows * columns; ++i) m.values.push_back(i % columns + 1 == columns ? 1.0 : 0.5 * i);
        return sdmText(m);
    };
    const Case cases[] = {
        {"truncated", [&] { writeFile(run1, original.substr(0, original.size() / 2)); }, "failed", "cannot be read"},
        {"a folder", [&] { fs::remove(run1), fs::create_directory(run1); }, "failed", "cannot be read"},
        {"a pipe", [&] { fs::remove(run1), ::mkfifo(run1.c_str(), 0644); }, "failed", "pipe"},
        {"NaN", [&] {
             std::string text = original;  // the last value of the last row
             const auto lastValue = text.find_last_of(" \t", text.size() - 2) + 1;
             text.replace(lastValue, text.size() - 1 - lastValue, "nan");
             writeFile(run1, text);
         }, "failed", "not a finite number (NaN) at data point 150 of predictor \"Constant\""},
        {"one row", [&] { writeFile(run1, sdmWith(1, 13)); }, "ok", ""},
        {"no columns", [&] { writeFile(run1, sdmWith(150, 0)); }, "ok", ""},
        {"short motion file", [&] {
             auto motion = readSdmFile(study + "run1_3DMC.sdm");
             motion.value->dataPoints = 40;
             motion.value->values.resize(40 * 6);
             writeFile(study + "run1_3DMC.sdm", sdmText(*motion.value));
         }, "ok", "holds 40 volumes, the design matrix 150"},
        {"no motion file", [&] { fs::remove(study + "run1_3DMC.sdm"); }, "ok", "cannot be read"},
        {"missing", [&] { fs::remove(run1), fs::remove(study + "run1_run1.sdm"); }, "missing",
         "the design matrix run1_run1.sdm is not there"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(run1);
        writeFile(run1, original);
        writeFile(study + "run1_run1.sdm", "kept");
        fs::copy_file(EXAMPLE_STUDY "/run1_3DMC.sdm", study + "run1_3DMC.sdm", fs::copy_options::overwrite_existing);
        c.breakIt();
        const auto run = report({});
        ASSERT_EQ(run.exitStatus, 0) << hardening::describe(run);
        Json json = readJson(folder.file("r.json"));
        ASSERT_EQ(json["runs"].size(), 3u);
        Json& entry = json["runs"][0];
        EXPECT_EQ(entry["status"], c.status);
        std::string said = entry["reason"].is_null() ? "" : entry["reason"].get<std::string>();
        for (const Json& note : entry["notes"]) said += "\n" + note.get<std::string>();
        EXPECT_NE(said.find(c.text), std::string::npos) << said;
        EXPECT_EQ(json["runs"][1]["status"], "ok");
    }
}

}  // namespace
}  // namespace morvane
