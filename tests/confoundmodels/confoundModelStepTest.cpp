// The step after a batch run, on a run outcome made by hand: which groups get a file, what
// it holds, and the failures of the groups that cannot get one.
#include "confoundmodels/confoundModelStep.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/confoundmodels/modelTestFiles.h"
#include "tests/headless/testFiles.h"

namespace morvane {
namespace {

using testing::designMatrixOf;
using testing::motionOf;
using testing::readFile;
using testing::ScratchFolder;
using testing::writeFile;

SdmContent tenPointMotion() {
    std::vector<std::array<double, 6>> rows;
    for (int t = 0; t < 10; ++t) rows.push_back({0.1 * t, 0.0, 0.02 * (t % 3), 0.0, 0.01 * t * t, t == 6 ? 2.0 : 0.0});
    return motionOf(rows);
}

// A folder with the files of `groups` protocol groups as a run with motion files leaves them:
// g<i>_run.sdm (10 points), g<i>_run_3DMC_z.sdm (it, with the motion columns) and g<i>_3DMC.sdm.
class ConfoundModelStep : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 3; ++i) {
            const std::string stem = folder.file("g" + std::to_string(i));
            const SdmContent matrix = designMatrixOf(10, 2);
            writeFile(stem + "_run.sdm", sdmText(matrix));
            SdmContent extended = matrix;
            const SdmContent motion = tenPointMotion();
            extended.names.insert(extended.names.begin() + 2, motion.names.begin(), motion.names.end());
            extended.colors.insert(extended.colors.begin() + 2, motion.colors.begin(), motion.colors.end());
            extended.values.clear();
            for (int t = 0; t < 10; ++t) {
                extended.values.insert(extended.values.end(), {t + 10.0, t + 20.0});
                for (int c = 0; c < 6; ++c) extended.values.push_back(motion.value(t, c));
                extended.values.push_back(1.0);
            }
            writeFile(stem + "_run_3DMC_z.sdm", sdmText(extended));
            writeFile(stem + "_3DMC.sdm", sdmText(motion));

            ListedGroup group;
            group.protocol = stem + ".prt";
            group.timeCourse = stem + ".vtc";
            group.motion = stem + "_3DMC.sdm";
            outcome.list.groups.push_back(group);
            for (const std::string& entry : {group.protocol, *group.timeCourse, *group.motion})
                outcome.list.entries.push_back(entry);

            GroupRecord record;
            record.vtcPath = *group.timeCourse;
            record.linked = true;
            SavedDesignMatrix saved;
            saved.path = stem + "_run.sdm";
            saved.dataPoints = 10;
            saved.predictorNames = matrix.names;
            record.designMatrices.push_back(saved);
            records.push_back(record);
        }
        for (const GroupRecord& record : records) outcome.groupRecords.push_back(&record);
        outcome.answers.zTransform = true;
    }

    int run(int model, std::optional<std::string> threshold) {
        ConfoundModelChoice choice;
        choice.motionModel = model;
        if (threshold) {
            choice.spikeThresholdText = *threshold;
            choice.spikeThresholdMm = std::stod(*threshold);
        }
        ModelLog log(out, folder.file("run.log"));
        return runConfoundModelStep(outcome, choice, log, err);
    }
    std::string modelFile(int group, const std::string& suffix) const {
        return folder.file("g" + std::to_string(group) + "_run_3DMC_z" + suffix + ".sdm");
    }

    ScratchFolder folder;
    std::vector<GroupRecord> records;
    RunOutcome outcome;
    std::ostringstream out, err;
};

TEST_F(ConfoundModelStep, EveryGroupWithMotionGetsItsFileNamedInTheLogAndTheOutcome) {
    writeFile(folder.file("run.log"), "the plugin's log\n");
    ASSERT_EQ(run(24, "1.5"), 0) << err.str();
    EXPECT_TRUE(outcome.failures.empty());
    for (int i = 0; i < 3; ++i) {
        const std::string path = modelFile(i, "_24P_FD1.5");
        ASSERT_EQ(outcome.addedDesignMatrices.at(static_cast<std::size_t>(i)), std::vector<std::string>{path});
        const auto content = readSdmFile(path);
        ASSERT_TRUE(content) << content.error;
        // 2 tasks, 6 parameters from the plugin, 18 terms, the spikes of volumes 7 and 8 (2 degrees
        // there and back), the constant.
        EXPECT_EQ(content.value->predictorCount(), 2 + 6 + 18 + 2 + 1);
        EXPECT_EQ(content.value->names[26], "Spike 7");
        EXPECT_EQ(content.value->names[27], "Spike 8");
        EXPECT_EQ(content.value->names.back(), "Constant");
        EXPECT_EQ(content.value->firstConfoundPredictor, 3);
    }
    const std::string line = "New filename: " + modelFile(0, "_24P_FD1.5") + " (18 motion terms, 2 spike columns added)\n";
    EXPECT_NE(out.str().find(line), std::string::npos) << out.str();
    // Translation Y and rotation X never move: z-transformed, their terms are 0.0 and logged.
    EXPECT_NE(out.str().find("Column 10 of " + modelFile(0, "_24P_FD1.5") + " does not vary"), std::string::npos)
        << out.str();
    EXPECT_EQ(readFile(folder.file("run.log")), "the plugin's log\n" + out.str());
}

TEST_F(ConfoundModelStep, GroupsThatCannotGetTheirFileFail) {
    // Group 0: the run check failed it; group 1: its motion file is short; group 2: missing.
    outcome.failures.push_back({outcome.list.groups[0].protocol, "the VTC was not saved", 0});
    SdmContent shortMotion = tenPointMotion();
    shortMotion.dataPoints = 9;
    shortMotion.values.resize(9 * 6);
    writeFile(*outcome.list.groups[1].motion, sdmText(shortMotion));
    std::remove(outcome.list.groups[2].motion->c_str());

    EXPECT_EQ(run(12, std::nullopt), 1);
    ASSERT_EQ(outcome.failures.size(), 4u);
    EXPECT_EQ(outcome.failures[1].groupIndex, 0u);
    EXPECT_EQ(outcome.failures[1].reason, "the design matrix " + modelFile(0, "_12P") +
                                              " was not written: the files the plugin wrote for the group are incomplete");
    EXPECT_EQ(outcome.failures[2].groupIndex, 1u);
    EXPECT_NE(outcome.failures[2].reason.find("g1_3DMC.sdm holds 9 data points, fewer than the 10 of the design matrix"),
              std::string::npos)
        << outcome.failures[2].reason;
    EXPECT_EQ(outcome.failures[3].groupIndex, 2u);
    EXPECT_NE(outcome.failures[3].reason.find("g2_3DMC.sdm cannot be read: cannot open the file"), std::string::npos);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(std::filesystem::exists(modelFile(i, "_12P"))) << i;
        EXPECT_TRUE(outcome.addedDesignMatrices[static_cast<std::size_t>(i)].empty());
    }
}

TEST_F(ConfoundModelStep, GroupsWithoutMotionOrWithoutADesignMatrixAreLeftAlone) {
    outcome.list.groups[0].motion.reset();
    records[1].designMatrices.clear();
    outcome.groupRecords[2] = nullptr;
    EXPECT_EQ(run(24, std::nullopt), 0);
    EXPECT_TRUE(outcome.failures.empty());
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(std::filesystem::exists(modelFile(i, "_24P"))) << i;
    EXPECT_EQ(out.str(), "");
}

TEST_F(ConfoundModelStep, NeverReplacesAFileTheListNames) {
    // A motion file that happens to carry the model file's name.
    const std::string clash = modelFile(0, "_12P");
    writeFile(clash, sdmText(tenPointMotion()));
    outcome.list.entries.push_back(clash);
    const std::string before = readFile(clash);
    EXPECT_EQ(run(12, std::nullopt), 1);
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_NE(outcome.failures[0].reason.find("which the list names"), std::string::npos);
    EXPECT_EQ(readFile(clash), before);
    EXPECT_TRUE(std::filesystem::exists(modelFile(1, "_12P")));
}

}  // namespace
}  // namespace morvane
