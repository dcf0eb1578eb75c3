// What the report takes from a batch run: the run check's failures, the design matrices the
// host saved and morvane added, and the plugin's log of each group.
#include <gtest/gtest.h>

#include "report/runSources.h"
#include "tests/headless/testFiles.h"

namespace morvane {
namespace {

using testing::ScratchFolder;
using testing::writeFile;

ListedGroup group(const std::string& name, bool withVtc, bool withMotion) {
    ListedGroup g;
    g.protocol = name + ".prt";
    if (withVtc) g.timeCourse = name + ".vtc";
    if (withMotion) g.motion = name + "_3DMC.sdm";
    return g;
}

GroupRecord record(const std::string& name, const std::string& folder) {
    GroupRecord r;
    r.vtcPath = name + ".vtc";
    r.linked = true;
    SavedDesignMatrix saved;
    saved.path = folder + "/" + name + "_" + name + ".sdm";
    r.designMatrices.push_back(saved);
    return r;
}

TEST(RunSources, FailuresAddedDesignMatricesAndLogLinesGoToTheirGroups) {
    ScratchFolder folder;
    const std::string f = folder.path();
    RunOutcome outcome;
    outcome.list.groups = {group("a", true, true), group("b", false, false), group("c", true, true),
                           group("d", true, false)};
    std::vector<GroupRecord> records = {record("a", f), record("c", f), record("d", f)};
    outcome.records = &records;
    outcome.groupRecords = {&records[0], nullptr, &records[1], &records[2]};
    const std::vector<LoggedEntry> log = {{0, "Number of PRT-VTC pairs: 4"}, {1, "\nLoad a.vtc to VMR..."},
                                          {1, "Adding a_3DMC.sdm for SDM...\nNo respiration.\n"}, {1, "No VTC file found for PRT"},
                                          {2, "Saving of design matrix succeeded."}, {3, "Finished.\n"}};
    outcome.log = &log;
    outcome.failures = {{"b.prt", "no VTC follows it in the list", 1},
                        {"c.prt", "the extended design matrix was not written", 2},
                        {"c.prt", "a model file is missing", 2}};
    outcome.addedDesignMatrices = {{f + "/a_model1.sdm", f + "/a_model2.sdm"}, {}, {}, {}};
    // a's extended design matrix of this run: a file not among those there before.
    writeFile(f + "/a_a_3DMC.sdm", "x");

    const auto sources = sourcesOfRun(outcome);
    ASSERT_EQ(sources.size(), 4u);
    EXPECT_EQ(sources[0].status, RunStatus::Ok);
    EXPECT_EQ(sources[0].designMatrix, f + "/a_model2.sdm");  // the last one morvane added
    EXPECT_EQ(sources[0].plainDesignMatrix, f + "/a_a.sdm");
    EXPECT_EQ(sources[0].motionFile, "a_3DMC.sdm");
    EXPECT_EQ(sources[0].logLines, (std::vector<std::string>{"", "Load a.vtc to VMR...", "Adding a_3DMC.sdm for SDM...",
                                                             "No respiration.", "No VTC file found for PRT"}));

    EXPECT_EQ(sources[1].status, RunStatus::Failed);
    EXPECT_EQ(sources[1].reason, "no VTC follows it in the list");
    EXPECT_TRUE(sources[1].designMatrixFile.empty());
    EXPECT_TRUE(sources[1].logLines.empty());

    EXPECT_EQ(sources[2].status, RunStatus::Failed);
    EXPECT_EQ(sources[2].reason, "the extended design matrix was not written; a model file is missing");
    EXPECT_EQ(sources[2].designMatrix, f + "/c_c.sdm");  // its extended one never appeared
    ASSERT_EQ(sources[2].notes.size(), 1u);
    EXPECT_NE(sources[2].notes[0].find("without confounds"), std::string::npos);
    EXPECT_EQ(sources[2].logLines, std::vector<std::string>{"Saving of design matrix succeeded."});

    EXPECT_EQ(sources[3].designMatrix, f + "/d_d.sdm");
    EXPECT_TRUE(sources[3].notes.empty());
    EXPECT_EQ(sources[3].logLines, std::vector<std::string>{"Finished."});

    // With an extended design matrix of the run and nothing added, that one.
    outcome.addedDesignMatrices[0].clear();
    EXPECT_EQ(sourcesOfRun(outcome)[0].designMatrix, f + "/a_a_3DMC.sdm");
    // One that was there before the run (an earlier run's) is not this run's.
    records[0].designMatrices.back().sdmFilesBefore.push_back(*stampOf(f + "/a_a_3DMC.sdm"));
    EXPECT_EQ(sourcesOfRun(outcome)[0].designMatrix, f + "/a_a.sdm");
}

}  // namespace
}  // namespace morvane
