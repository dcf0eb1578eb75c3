// morvane with the real plugin module on the example study, with confound models after the
// run and for single design matrices: every new file read back and checked against values
// computed here from the motion files, and the plugin's own files as without the models.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <numbers>

#include "formats/sdmFile.h"
#include "tests/hardening/morvaneProcess.h"
#include "tests/headless/testFiles.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;
using hardening::runMorvane;
using hardening::with;
using testing::folderContent;
using testing::readFile;
using testing::ScratchFolder;
using testing::writeFile;

const std::vector<std::string> answers = {"--list", "file-list.txt", "--hrf", "two-gamma", "--value", "1",
                                          "--skip-first", "yes", "--vmr", "anatomy.vmr"};

// Flags a few volumes of each example run (FD there is about 0.01 to 0.03 mm).
const std::string threshold = "0.025";

SdmContent readBack(const std::string& path) {
    const auto content = readSdmFile(path);
    EXPECT_TRUE(content) << path << ": " << content.error;
    return content ? *content.value : SdmContent{};
}

std::vector<double> column(const SdmContent& content, int predictor, int points) {
    std::vector<double> values;
    for (int t = 0; t < points; ++t) values.push_back(content.value(t, predictor));
    return values;
}

std::vector<double> zScores(std::vector<double> values) {
    double mean = 0.0;
    for (double v : values) mean += v;
    mean /= static_cast<double>(values.size());
    double variance = 0.0;
    for (double v : values) variance += (v - mean) * (v - mean);
    const double deviation = std::sqrt(variance / static_cast<double>(values.size()));
    for (double& v : values) v = (v - mean) / deviation;
    return values;
}

// The terms of one motion column, in block order: derivative, square, squared derivative.
std::vector<std::vector<double>> termsOf(const std::vector<double>& x, bool z) {
    std::vector<double> dx(x.size()), x2(x.size()), dx2(x.size());
    for (std::size_t t = 0; t < x.size(); ++t) {
        dx[t] = t == 0 ? 0.0 : x[t] - x[t - 1];
        x2[t] = x[t] * x[t];
        dx2[t] = dx[t] * dx[t];
    }
    if (z) return {zScores(dx), zScores(x2), zScores(dx2)};
    return {dx, x2, dx2};
}

std::vector<int> volumesAbove(const SdmContent& motion, int points, double mm) {
    std::vector<int> volumes;
    for (int t = 1; t < points; ++t) {
        double fd = 0.0;
        for (int c = 0; c < 6; ++c) {
            const double step = std::fabs(motion.value(t, c) - motion.value(t - 1, c));
            fd += c < 3 ? step : step * std::numbers::pi / 180.0 * 50.0;
        }
        if (fd > mm) volumes.push_back(t + 1);
    }
    return volumes;
}

// Six significant digits, as the host writes design matrices.
void expectWritten(double written, double exact, const std::string& what) {
    EXPECT_NEAR(written, exact, 5.1e-6 * std::fabs(exact) + 1e-300) << what;
}

// The model file beside `extended`: its columns, in order, against the motion file.
void checkModelFile(const std::string& folder, const std::string& extended, const std::string& model,
                    const std::string& motionFile, bool z, const std::vector<int>& spikes) {
    const SdmContent base = readBack(folder + "/" + extended);
    const SdmContent written = readBack(folder + "/" + model);
    const SdmContent motion = readBack(folder + "/" + motionFile);
    const int points = base.dataPoints;
    ASSERT_GT(points, 0);
    const int own = base.predictorCount() - 1;  // the plugin's columns before its constant
    ASSERT_EQ(written.predictorCount(), own + 18 + static_cast<int>(spikes.size()) + 1) << model;
    EXPECT_EQ(written.dataPoints, points);
    EXPECT_EQ(written.includesConstant, base.includesConstant);
    EXPECT_EQ(written.firstConfoundPredictor, base.firstConfoundPredictor);
    EXPECT_EQ(written.names.back(), "Constant");
    for (int p = 0; p < own; ++p) {
        EXPECT_EQ(written.names[static_cast<std::size_t>(p)], base.names[static_cast<std::size_t>(p)]);
        for (int t = 0; t < points; ++t) expectWritten(written.value(t, p), base.value(t, p), base.names[static_cast<std::size_t>(p)]);
    }
    const char* const suffixes[] = {" derivative", " squared", " derivative squared"};
    for (int c = 0; c < 6; ++c) {
        const std::vector<std::vector<double>> terms = termsOf(column(motion, c, motion.dataPoints), z);
        for (int block = 0; block < 3; ++block) {
            const int p = own + block * 6 + c;
            const std::string name = motion.names[static_cast<std::size_t>(c)] + suffixes[block];
            EXPECT_EQ(written.names[static_cast<std::size_t>(p)], name);
            for (int t = 0; t < points; ++t)
                expectWritten(written.value(t, p), terms[static_cast<std::size_t>(block)][static_cast<std::size_t>(t)],
                              name + " at " + std::to_string(t + 1));
        }
    }
    for (std::size_t s = 0; s < spikes.size(); ++s) {
        const int p = own + 18 + static_cast<int>(s);
        EXPECT_EQ(written.names[static_cast<std::size_t>(p)], "Spike " + std::to_string(spikes[s]));
        for (int t = 0; t < points; ++t) EXPECT_EQ(written.value(t, p), t + 1 == spikes[s] ? 1.0 : 0.0);
    }
    for (int t = 0; t < points; ++t) EXPECT_EQ(written.value(t, written.predictorCount() - 1), 1.0);
}

class ConfoundModelsEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        hardening::copyExampleStudy(plain.path());
        hardening::copyExampleStudy(modelled.path());
    }
    ScratchFolder plain, modelled;
};

TEST_F(ConfoundModelsEndToEnd, TwentyFourParametersWithSpikesBesideThePluginsUnchangedFiles) {
    const auto without = runMorvane(plain.path(), with(answers, {"--z-transform", "yes", "--log", "morvane.log"}));
    ASSERT_EQ(without.exitStatus, 0) << hardening::describe(without);
    const auto run = runMorvane(modelled.path(), with(answers, {"--z-transform", "yes", "--log", "morvane.log",
                                                                "--motion-model", "24", "--spikes-fd", threshold}));
    ASSERT_EQ(run.exitStatus, 0) << hardening::describe(run);
    EXPECT_NE(run.err.find("all 3 protocol(s) converted"), std::string::npos) << run.err;

    const std::map<std::string, std::string> before = folderContent(plain.path());
    std::map<std::string, std::string> after = folderContent(modelled.path());
    const std::string model1 = "run1_run1_3DMC_z_HR_z_RVT_z_24P_FD" + threshold + ".sdm";
    const std::string model2 = "run2_run2_3DMC_z_RVT_z_24P_FD" + threshold + ".sdm";
    for (const auto& [name, content] : before) {
        if (name == "morvane.log") continue;
        ASSERT_TRUE(after.count(name)) << name;
        EXPECT_TRUE(after[name] == content) << name << " differs from the run without confound models";
    }
    std::vector<std::string> added;
    for (const auto& [name, content] : after)
        if (!before.count(name)) added.push_back(name);
    EXPECT_EQ(added, (std::vector<std::string>{model1, model2}));

    const SdmContent motion1 = readBack(modelled.file("run1_3DMC.sdm"));
    const SdmContent motion2 = readBack(modelled.file("run2_3DMC.sdm"));
    const std::vector<int> spikes1 = volumesAbove(motion1, 150, std::stod(threshold));
    const std::vector<int> spikes2 = volumesAbove(motion2, 120, std::stod(threshold));
    // "A few": some volumes, and no more than a quarter (no warning).
    EXPECT_GE(spikes1.size(), 1u);
    EXPECT_GE(spikes2.size(), 1u);
    EXPECT_LE(spikes1.size() * 4, 150u);
    EXPECT_EQ(run.err.find("warning"), std::string::npos) << run.err;
    checkModelFile(modelled.path(), "run1_run1_3DMC_z_HR_z_RVT_z.sdm", model1, "run1_3DMC.sdm", true, spikes1);
    checkModelFile(modelled.path(), "run2_run2_3DMC_z_RVT_z.sdm", model2, "run2_3DMC.sdm", true, spikes2);

    // One log line per file, after the plugin's log, on standard output and in the log file.
    EXPECT_EQ(run.out.find(without.out), 0u);
    EXPECT_EQ(run.out.substr(without.out.size()),
              "New filename: " + model1 + " (18 motion terms, " + std::to_string(spikes1.size()) +
                  " spike columns added)\nNew filename: " + model2 + " (18 motion terms, " +
                  std::to_string(spikes2.size()) + " spike columns added)\n");
    EXPECT_EQ(readFile(modelled.file("morvane.log")), run.out);
}

TEST_F(ConfoundModelsEndToEnd, TwelveParametersAsReadWithoutZTransform) {
    const auto run = runMorvane(modelled.path(), with(answers, {"--z-transform", "no", "--motion-model", "12"}));
    ASSERT_EQ(run.exitStatus, 0) << hardening::describe(run);
    const SdmContent base = readBack(modelled.file("run2_run2_3DMC_RVT.sdm"));
    const SdmContent written = readBack(modelled.file("run2_run2_3DMC_RVT_12P.sdm"));
    const SdmContent motion = readBack(modelled.file("run2_3DMC.sdm"));
    ASSERT_EQ(written.predictorCount(), base.predictorCount() + 6);
    const int own = base.predictorCount() - 1;
    for (int c = 0; c < 6; ++c) {
        const std::vector<double> derivative = termsOf(column(motion, c, 120), false)[0];
        EXPECT_EQ(written.names[static_cast<std::size_t>(own + c)], motion.names[static_cast<std::size_t>(c)] + " derivative");
        for (int t = 0; t < 120; ++t) expectWritten(written.value(t, own + c), derivative[static_cast<std::size_t>(t)], "derivative");
    }
    EXPECT_TRUE(fs::exists(modelled.file("run1_run1_3DMC_HR_RVT_12P.sdm")));
    // The third group has no motion file and gets nothing.
    for (const auto& entry : fs::directory_iterator(modelled.path()))
        EXPECT_EQ(entry.path().filename().string().rfind("run3_run3_", 0), std::string::npos) << entry.path();
}

TEST_F(ConfoundModelsEndToEnd, ModelSixAddsNothing) {
    const auto run = runMorvane(modelled.path(), with(answers, {"--z-transform", "yes", "--motion-model", "6"}));
    ASSERT_EQ(run.exitStatus, 0) << hardening::describe(run);
    const auto without = runMorvane(plain.path(), with(answers, {"--z-transform", "yes"}));
    EXPECT_EQ(folderContent(modelled.path()).size(), folderContent(plain.path()).size());
    EXPECT_EQ(run.out, without.out);
}

TEST_F(ConfoundModelsEndToEnd, SingleDesignMatrixWithExtraColumnsFromATable) {
    ASSERT_EQ(runMorvane(modelled.path(), with(answers, {"--z-transform", "no"})).exitStatus, 0);
    // A confounds table as a preprocessing pipeline writes one: 150 rows, n/a in the first
    // row of a derivative, more columns than asked for.
    std::string table = "csf\tcsf_derivative1\tglobal_signal\ta_comp_cor_00\ta_comp_cor_01\n";
    for (int t = 0; t < 150; ++t)
        table += std::to_string(100.0 + std::sin(t)) + "\t" + (t == 0 ? std::string("n/a") : std::to_string(std::sin(t) - std::sin(t - 1))) +
                 "\t7\t" + std::to_string(0.01 * t) + "\t" + std::to_string(std::cos(0.3 * t)) + "\n";
    writeFile(modelled.file("confounds.tsv"), table);

    const std::vector<std::string> single = {"confounds", "--design-matrix", "run1_run1.sdm", "--motion",
                                             "run1_3DMC.sdm", "--motion-model", "24", "--spikes-fd", threshold,
                                             "--z-transform", "--extra", "confounds.tsv", "--columns",
                                             "csf_derivative1,a_comp_cor_*", "--output", "out/run1_model.sdm"};
    const auto run = runMorvane(modelled.path(), single);
    // The output's folder does not exist: nothing is made but the file asked for.
    EXPECT_EQ(run.exitStatus, 1) << hardening::describe(run);
    EXPECT_NE(run.err.find("cannot save the design matrix out/run1_model.sdm"), std::string::npos) << run.err;

    fs::create_directory(modelled.file("out"));
    const auto again = runMorvane(modelled.path(), single);
    ASSERT_EQ(again.exitStatus, 0) << hardening::describe(again);
    const SdmContent matrix = readBack(modelled.file("run1_run1.sdm"));
    const SdmContent motion = readBack(modelled.file("run1_3DMC.sdm"));
    const SdmContent written = readBack(modelled.file("out/run1_model.sdm"));
    const std::vector<int> spikes = volumesAbove(motion, 150, std::stod(threshold));
    // Two tasks, the six parameters and 18 terms, three table columns, spikes, the constant.
    ASSERT_EQ(written.predictorCount(), 2 + 24 + 3 + static_cast<int>(spikes.size()) + 1);
    EXPECT_EQ(written.names[2], "Translation MN-X [mm]");
    EXPECT_EQ(written.names[8], "Translation MN-X [mm] derivative");
    EXPECT_EQ(written.names[26], "csf_derivative1");
    EXPECT_EQ(written.names[27], "a_comp_cor_00");
    EXPECT_EQ(written.names[28], "a_comp_cor_01");
    EXPECT_EQ(written.names[29], "Spike " + std::to_string(spikes[0]));
    EXPECT_EQ(written.firstConfoundPredictor, matrix.firstConfoundPredictor);
    const std::vector<double> parameter = zScores(column(motion, 0, 150));
    for (int t = 0; t < 150; ++t) expectWritten(written.value(t, 2), parameter[static_cast<std::size_t>(t)], "parameter");
    // The table's column, n/a read as 0, z-transformed over its 150 rows.
    std::vector<double> derivative{0.0};
    for (int t = 1; t < 150; ++t) derivative.push_back(std::stod(std::to_string(std::sin(t) - std::sin(t - 1))));
    derivative = zScores(derivative);
    for (int t = 0; t < 150; ++t) expectWritten(written.value(t, 26), derivative[static_cast<std::size_t>(t)], "csf_derivative1");
    EXPECT_NE(again.out.find("New filename: out/run1_model.sdm (24 motion terms, 3 extra columns, " +
                             std::to_string(spikes.size()) + " spike columns added)"),
              std::string::npos)
        << again.out;

    // The plugin's design matrix with confounds holds the parameters already: only the terms.
    const auto extended = runMorvane(modelled.path(), {"confounds", "--design-matrix", "run1_run1_3DMC_HR_RVT.sdm",
                                                       "--motion", "run1_3DMC.sdm", "--motion-model", "24", "--output",
                                                       "extended_24P.sdm"});
    ASSERT_EQ(extended.exitStatus, 0) << hardening::describe(extended);
    EXPECT_NE(extended.err.find("holds the six motion parameters already; they are not added again"), std::string::npos);
    checkModelFile(modelled.path(), "run1_run1_3DMC_HR_RVT.sdm", "extended_24P.sdm", "run1_3DMC.sdm", false, {});
}

}  // namespace
}  // namespace morvane
