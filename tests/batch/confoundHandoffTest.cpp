#include "batch/confoundHandoff.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/batch/recordingConfoundStage.h"
#include "tests/fakehost/fakeHost.h"

namespace {

using testing::ElementsAreArray;
using Names = std::vector<std::string>;
using Transcript = std::vector<std::string>;

std::string log(const std::string& text) { return "log: " + text; }

FileList classified(const Names& names) {
    FileList list;
    list.declaredCount = 0;
    list.names = names;
    classifyFileList(list);
    return list;
}

struct HandoffCase {
    const char* what;
    Names names;
    bool zTransform;
    Transcript expected;
};

class HandOffConfounds : public testing::TestWithParam<HandoffCase> {};

TEST_P(HandOffConfounds, GathersTheFollowersAndPicksTheStageEntry) {
    const HandoffCase& c = GetParam();
    FakeHost host;
    auto installed = host.install();
    const FileList list = classified(c.names);
    host.transcript.clear();  // the count warning is not this step's
    ConfoundFiles files;

    handOffConfounds(list, protocolGroup(list, 0), "D:\\s\\r1_r1.sdm", c.zTransform, files,
                     recordingConfoundStage());

    EXPECT_THAT(host.transcript, ElementsAreArray(c.expected)) << c.what;
}

const std::string noConfounds = log("No confounds found for this protocol.");

INSTANTIATE_TEST_SUITE_P(
    Groups, HandOffConfounds,
    testing::Values(
        HandoffCase{"VTC is the last entry", {"r1.prt", "r1.vtc"}, false, {noConfounds}},
        HandoffCase{"next PRT follows the VTC", {"r1.prt", "r1.vtc", "r2.prt", "r2.vtc", "r2_HR.sdm"}, false,
                    {noConfounds}},
        HandoffCase{"only a second VTC and other entries", {"r1.prt", "r1.vtc", "r1b.vtc", "notes.txt"}, true,
                    {noConfounds}},
        HandoffCase{"motion alone",
                    {"r1.prt", "r1.vtc", "r1_3DMC.sdm"},
                    true,
                    {log("Adding r1_3DMC.sdm for SDM..."),
                     "addConfounds(\"D:\\s\\r1_r1.sdm\", \"r1_3DMC.sdm\", \"\", \"\", true, true, false, false)"}},
        HandoffCase{"motion and heart rate",
                    {"r1.prt", "r1.vtc", "r1_HR.rtc", "x.txt", "r1_3DMC.sdm"},
                    false,
                    {log("Adding r1_HR.rtc for SDM..."), log("Adding r1_3DMC.sdm for SDM..."),
                     "addConfounds(\"D:\\s\\r1_r1.sdm\", \"r1_3DMC.sdm\", \"r1_HR.rtc\", \"\", false, true, true, false)"}},
        HandoffCase{"respiration alone",
                    {"r1.prt", "r1.vtc", "r1_RVT.sdm"},
                    false,
                    {log("Adding r1_RVT.sdm for SDM..."),
                     "addConfounds(\"D:\\s\\r1_r1.sdm\", \"\", \"\", \"r1_RVT.sdm\", false, false, false, true)"}},
        HandoffCase{"all three in any order",
                    {"r1.prt", "r1.vtc", "r1_RVT.rtc", "r1_HR.sdm", "r1_3DMC.rtc"},
                    true,
                    {log("Adding r1_RVT.rtc for SDM..."), log("Adding r1_HR.sdm for SDM..."),
                     log("Adding r1_3DMC.rtc for SDM..."),
                     "addAllConfounds(\"D:\\s\\r1_r1.sdm\", \"r1_3DMC.rtc\", \"r1_HR.sdm\", \"r1_RVT.rtc\", true)"}},
        HandoffCase{"a later entry of a kind replaces the earlier",
                    {"r1.prt", "r1.vtc", "a_3DMC.sdm", "b_3DMC.sdm"},
                    false,
                    {log("Adding a_3DMC.sdm for SDM..."), log("Adding b_3DMC.sdm for SDM..."),
                     "addConfounds(\"D:\\s\\r1_r1.sdm\", \"b_3DMC.sdm\", \"\", \"\", false, true, false, false)"}},
        HandoffCase{"followers stop at the next protocol",
                    {"r1.prt", "r1.vtc", "r1_HR.sdm", "r2.prt", "r2.vtc", "r2_3DMC.sdm"},
                    false,
                    {log("Adding r1_HR.sdm for SDM..."),
                     "addConfounds(\"D:\\s\\r1_r1.sdm\", \"\", \"r1_HR.sdm\", \"\", false, false, true, false)"}}),
    [](const testing::TestParamInfo<HandoffCase>& info) { return "case" + std::to_string(info.index); });

TEST(HandOffConfoundsAcrossGroups, FlagsStartAfreshWhilePathsStay) {
    FakeHost host;
    auto installed = host.install();
    const FileList list = classified({"r1.prt", "r1.vtc", "r1_HR.sdm", "r2.prt", "r2.vtc", "r2_3DMC.sdm"});
    host.transcript.clear();
    ConfoundFiles files;

    handOffConfounds(list, protocolGroup(list, 0), "r1_r1.sdm", false, files, recordingConfoundStage());
    handOffConfounds(list, protocolGroup(list, 1), "r2_r2.sdm", false, files, recordingConfoundStage());

    EXPECT_THAT(host.transcript,
                ElementsAreArray(Transcript{log("Adding r1_HR.sdm for SDM..."),
                                  "addConfounds(\"r1_r1.sdm\", \"\", \"r1_HR.sdm\", \"\", false, false, true, false)",
                                  log("Adding r2_3DMC.sdm for SDM..."),
                                  "addConfounds(\"r2_r2.sdm\", \"r2_3DMC.sdm\", \"r1_HR.sdm\", \"\", false, true, false, false)"}));
    EXPECT_TRUE(files.hasMotion);
    EXPECT_FALSE(files.hasHeartRate);
    EXPECT_FALSE(files.hasRespiration);
}

TEST(HandOffConfoundsAcrossGroups, EmptyFollowerRangeClearsTheFlags) {
    FakeHost host;
    auto installed = host.install();
    const FileList list = classified({"r1.prt", "r1.vtc", "r1_HR.sdm", "r2.prt", "r2.vtc"});
    ConfoundFiles files;
    handOffConfounds(list, protocolGroup(list, 0), "r1_r1.sdm", false, files, recordingConfoundStage());
    handOffConfounds(list, protocolGroup(list, 1), "r2_r2.sdm", false, files, recordingConfoundStage());
    EXPECT_FALSE(files.hasHeartRate);
    EXPECT_EQ(host.transcript.back(), noConfounds);
}

}  // namespace
