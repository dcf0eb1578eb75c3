#include "headless/runCheck.h"

#include <gtest/gtest.h>

#include "formats/sdmFile.h"
#include "tests/headless/testFiles.h"

namespace morvane {
namespace {

using testing::ScratchFolder;
using testing::writeFile;

TEST(RunCheck, ExtendedNamesCarryEachListedKindInOrder) {
    ListedGroup group;
    group.heartRate = "h_HR.rtc";
    EXPECT_EQ(extendedDesignMatrixName("d/run1_run1.sdm", group, false), "d/run1_run1_HR.sdm");
    group.motion = "m_3DMC.sdm";
    group.respiration = "r_RVT.sdm";
    EXPECT_EQ(extendedDesignMatrixName("run1.sdm", group, true), "run1_3DMC_z_HR_z_RVT_z.sdm");
    EXPECT_EQ(extendedDesignMatrixName("run1.sdm", group, false), "run1_3DMC_HR_RVT.sdm");
}

SdmContent matrix(std::vector<std::string> names, int points) {
    SdmContent content;
    content.names = std::move(names);
    content.colors.assign(content.names.size(), Rgb{});
    content.dataPoints = points;
    content.includesConstant = 1;
    content.firstConfoundPredictor = static_cast<int>(content.names.size());
    content.values.assign(content.names.size() * static_cast<std::size_t>(points), 1.0);
    return content;
}

class RunCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        VtcFileHeader header = withProtocol(testing::smallVtcHeader(4), "run.prt");
        writeFile(folder.file("run.vtc"), testing::vtcFileBytes(header));
        writeFile(folder.file("run_run.sdm"), sdmText(matrix({"A", "Constant"}, 4)));
        writeFile(folder.file("run_RVT.sdm"),
                  "FileVersion: 1\nNrOfPredictors: 2\nNrOfDataPoints: 4\nIncludesConstant: 1\n"
                  "FirstConfoundPredictor: 1\n");
        list = parseFileList("1 " + folder.file("run.prt") + " " + folder.file("run.vtc") + " " +
                             folder.file("run_RVT.sdm"));
        GroupRecord record;
        record.vtcPath = folder.file("run.vtc");
        record.linked = true;
        record.protocolName = "run.prt";
        record.conditionNames = {"Rest", "A"};
        record.designMatrices.push_back({folder.file("run_run.sdm"), {"A", "Constant"}, 4, true, {}});
        record.vtcSaved = true;
        records = {record};
    }

    std::vector<ProtocolFailure> check() { return checkRun(list, records, true, true); }

public:  // the table of broken cases changes them
    ScratchFolder folder;
    ListedRun list;
    std::vector<GroupRecord> records;
};

TEST_F(RunCheckTest, AGroupThatWroteEverythingPasses) {
    writeFile(folder.file("run_run_RVT_z.sdm"), sdmText(matrix({"A", "RVT", "Constant"}, 4)));
    const auto failures = check();
    EXPECT_TRUE(failures.empty()) << failures.front().reason;
}

TEST_F(RunCheckTest, EachMissingOrIncompleteOutputFailsTheGroup) {
    struct Case {
        const char* what;
        void (*change)(RunCheckTest&);
        const char* reasonPart;
    };
    const Case cases[] = {
        {"no extended matrix", [](RunCheckTest&) {}, "was not written"},
        {"a four-line extended matrix",
         [](RunCheckTest& t) {
             writeFile(t.folder.file("run_run_RVT_z.sdm"),
                       "FileVersion: 1\n\nNrOfPredictors: 3\nNrOfDataPoints: 4\n");
         },
         "incomplete"},
        {"an extended matrix without the confound",
         [](RunCheckTest& t) { writeFile(t.folder.file("run_run_RVT_z.sdm"), sdmText(matrix({"A", "Constant"}, 4))); },
         "holds 2 predictors"},
        {"an extended matrix from an earlier run",
         [](RunCheckTest& t) {
             const std::string path = t.folder.file("run_run_RVT_z.sdm");
             writeFile(path, sdmText(matrix({"A", "RVT", "Constant"}, 4)));
             t.records[0].designMatrices[0].sdmFilesBefore.push_back(*stampOf(path));
         },
         "not written in this run"},
        {"VTC not linked", [](RunCheckTest& t) { t.records[0].linked = false; }, "could not be linked"},
        {"VTC never linked", [](RunCheckTest& t) { t.records.clear(); }, "never linked"},
        {"protocol not attached", [](RunCheckTest& t) { t.records[0].protocolName.clear(); }, "could not be attached"},
        {"no design matrix", [](RunCheckTest& t) { t.records[0].designMatrices.clear(); }, "no design matrix"},
        {"a predictor missing",
         [](RunCheckTest& t) { t.records[0].conditionNames.push_back("B"); }, "instead of"},
        {"VTC not saved", [](RunCheckTest& t) { t.records[0].vtcSaved = false; }, "was not saved"},
        {"VTC naming another protocol",
         [](RunCheckTest& t) {
             writeFile(t.folder.file("run.vtc"),
                       testing::vtcFileBytes(withProtocol(testing::smallVtcHeader(4), "other.prt")));
         },
         "does not name"},
        {"unreadable confound", [](RunCheckTest& t) { writeFile(t.folder.file("run_RVT.sdm"), "junk"); },
         "cannot be read"},
    };
    for (const Case& c : cases) {
        SetUp();
        std::remove(folder.file("run_run_RVT_z.sdm").c_str());
        c.change(*this);
        const auto failures = check();
        ASSERT_EQ(failures.size(), 1u) << c.what;
        EXPECT_EQ(failures[0].protocolPath, folder.file("run.prt")) << c.what;
        EXPECT_NE(failures[0].reason.find(c.reasonPart), std::string::npos) << c.what << ": " << failures[0].reason;
    }
}

TEST_F(RunCheckTest, AProtocolWithoutTimeCourseFails) {
    list = parseFileList("1 a.prt b.prt");
    const auto failures = check();
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_EQ(failures[0].reason, "no VTC follows it in the list");
}

TEST(ConfoundCount, MotionCountsItsDeclaredColumnsOthersDropTheirConstant) {
    ScratchFolder folder;
    const std::string sdm = "FileVersion: 1\nNrOfPredictors: 3\nNrOfDataPoints: 4\nIncludesConstant: 1\n"
                            "FirstConfoundPredictor: 1\n";
    writeFile(folder.file("x_HR.sdm"), sdm);
    writeFile(folder.file("x_3DMC.sdm"), sdm);
    writeFile(folder.file("x_RVT.rtc"), "FileVersion: 2\nType: DesignMatrix\nNrOfPredictors: 2\nNrOfDataPoints: 4\n");
    EXPECT_EQ(*confoundPredictorCount(folder.file("x_HR.sdm"), EntryKind::HeartRate).value, 2);
    EXPECT_EQ(*confoundPredictorCount(folder.file("x_3DMC.sdm"), EntryKind::Motion).value, 3);
    EXPECT_EQ(*confoundPredictorCount(folder.file("x_RVT.rtc"), EntryKind::Respiration).value, 2);
    EXPECT_FALSE(confoundPredictorCount(folder.file("missing_HR.sdm"), EntryKind::HeartRate));
}

}  // namespace
}  // namespace morvane
