// The confound stage as the batch run's hand-off calls it: which reader each path gets, when
// the z-transform happens, and the whole path from files to the extended design matrix.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "confounds/confoundStage.h"
#include "logCapture.h"
#include "testFiles.h"

namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

const std::string rtcText =
    "FileVersion: 2\nType: DesignMatrix\nNrOfPredictors: 6\nNrOfDataPoints: 2\n"
    "\"a\" \"b\" \"c\" \"d\" \"e\" \"f\"\n1 2 3 4 5 6\n2 3 4 5 6 8\n";
const std::string designMatrixText =
    "FileVersion: 1\n\nNrOfPredictors: 2\nNrOfDataPoints: 2\nIncludesConstant: 1\nFirstConfoundPredictor: 2\n\n"
    "255 0 0 255 255 255\n\"Task\" \"Constant\"\n1 1\n0 1\n";

struct ChoiceCase {
    const char* relativePath;
    bool rtc;
};

// The same RTC text under different paths: the RTC reader takes it, the SDM reader gives up.
TEST(ConfoundStage, choosesTheReaderByRtcAnywhereInThePath) {
    const std::vector<ChoiceCase> cases = {
        {"run1_HR.rtc", true},
        {"run1_HR.RTC", false},
        {"run1_HR.sdm", false},
        {"folder.rtc/run1_HR.sdm", true},
        {"run1.rtc_HR.txt", true},
        {"run1_HR.Rtc", false},
    };
    for (const ChoiceCase& c : cases) {
        for (int kind = 0; kind < 3; ++kind) {
            ScratchFolder folder;
            const std::filesystem::path path = folder / c.relativePath;
            std::filesystem::create_directories(path.parent_path());
            writeWholeFile(path, rtcText);
            writeWholeFile(folder / "d.sdm", designMatrixText);
            const std::string p = path.string();
            LogCapture log;
            addConfounds((folder / "d.sdm").string(), p.c_str(), p.c_str(), p.c_str(), false, kind == 0,
                         kind == 1, kind == 2);
            const std::string abandon = "Problem with reading *.sdm file. Please check results.";
            SCOPED_TRACE(std::string(c.relativePath) + " kind " + std::to_string(kind));
            if (c.rtc)
                EXPECT_THAT(log.lines, Not(Contains(abandon)));
            else
                EXPECT_THAT(log.lines, Contains(abandon));
            // Only the motion RTC reader sets fixed colours.
            if (kind == 0) {
                EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), "Adding colors..."), c.rtc ? 1 : 0);
            }
        }
    }
}

TEST(ConfoundStage, readsOnlyTheFlaggedKindsAndLooksAtNoOtherPath) {
    ScratchFolder folder;
    writeWholeFile(folder / "d.sdm", designMatrixText);
    writeWholeFile(folder / "r.rtc", rtcText);
    const std::string respiration = (folder / "r.rtc").string();
    LogCapture log;
    // Paths of absent kinds may hold anything, even nothing.
    const std::string written = addConfounds((folder / "d.sdm").string(), nullptr, "left from an earlier group",
                                             respiration.c_str(), false, false, false, true);
    EXPECT_EQ(written, (folder / "d_RVT.sdm").string());
    EXPECT_THAT(log.lines, ElementsAre("Reading file: " + respiration,
                                       "Fileversion: 2\nNr of Predictors: 6\nNr of datapoints: 2\n"
                                       "Includes constant: 0\nFirst confound: 1",
                                       "Reading colors...", "Reading confounds...", "New filename: " + written));
    EXPECT_EQ(readWholeFile(written),
              "FileVersion: 1\n\nNrOfPredictors: 8\nNrOfDataPoints: 2\nIncludesConstant: 1\nFirstConfoundPredictor: 2\n\n"
              "255 0 0 255 255 0 255 255 20 255 255 40 255 255 60 255 255 80 255 255 100 255 255 255 \n"
              "\"Task\"\t\"a\"\t\"b\"\t\"c\"\t\"d\"\t\"e\"\t\"f\"\t\t\"Constant\"\n"
              "1\t1.000000\t2.000000\t3.000000\t4.000000\t5.000000\t6.000000\t1.000000\n"
              "0\t2.000000\t3.000000\t4.000000\t5.000000\t6.000000\t8.000000\t1.000000\n");
}

TEST(ConfoundStage, zTransformsOnlyThePresentRecordsWhenAsked) {
    ScratchFolder folder;
    writeWholeFile(folder / "d.sdm", designMatrixText);
    writeWholeFile(folder / "r.rtc", rtcText);
    const std::string respiration = (folder / "r.rtc").string();
    LogCapture log;
    const std::string written =
        addConfounds((folder / "d.sdm").string(), "", "", respiration.c_str(), true, false, false, true);
    EXPECT_EQ(written, (folder / "d_RVT_z.sdm").string());
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(), "z-transform predictor..."), 1);
    EXPECT_EQ(log.lines[4], "z-transform predictor...");
    // Two points a and b become -1 and 1.
    const std::string text = readWholeFile(written);
    EXPECT_TRUE(text.ends_with("\n1\t-1.000000\t-1.000000\t-1.000000\t-1.000000\t-1.000000\t-1.000000\t1.000000\n"
                               "0\t1.000000\t1.000000\t1.000000\t1.000000\t1.000000\t1.000000\t1.000000\n"))
        << text;
}

TEST(ConfoundStage, writesAllKindsZTransformedAsTheGoldenFile) {
    ScratchFolder folder;
    for (const char* name : {"all_design.sdm", "all_motion.rtc", "all_heart.sdm", "all_resp.rtc"})
        std::filesystem::copy_file(goldenFolder() / name, folder / name);
    const std::string motion = (folder / "all_motion.rtc").string();
    const std::string heart = (folder / "all_heart.sdm").string();
    const std::string respiration = (folder / "all_resp.rtc").string();
    LogCapture log;
    const std::string written = addAllConfounds((folder / "all_design.sdm").string(), motion.c_str(), heart.c_str(),
                                                respiration.c_str(), true);
    EXPECT_EQ(written, (folder / "all_design_3DMC_z_HR_z_RVT_z.sdm").string());
    EXPECT_EQ(readWholeFile(written), readWholeFile(goldenFolder() / "all_expected_3DMC_z_HR_z_RVT_z.sdm"));
    // The motion file's last column holds only zeros.
    EXPECT_THAT(log.lines,
                Contains("Column 6 of " + motion + " does not vary: its z-transformed values are set to 0.0."));
    EXPECT_EQ(log.lines.back(), "New filename: " + written);
}

TEST(ConfoundStage, goesOnWithRecordsThatHoldNoData) {
    ScratchFolder folder;
    writeWholeFile(folder / "d.sdm", designMatrixText);
    writeWholeFile(folder / "r.rtc", rtcText);
    const std::string missing = (folder / "gone_3DMC.sdm").string();
    const std::string respiration = (folder / "r.rtc").string();
    {
        LogCapture log;
        const std::string written =
            addConfounds((folder / "d.sdm").string(), missing.c_str(), "", "", true, true, false, false);
        EXPECT_THAT(log.lines, ElementsAre("Reading file: " + missing, "Unable to open the motion estimates file.",
                                           "z-transform predictor...", "New filename: " + written,
                                           "Number of datapoints in *.sdm/*.rtc file(s) not sufficient!"));
        EXPECT_EQ(readWholeFile(written), "FileVersion: 1\n\nNrOfPredictors: 8\nNrOfDataPoints: 2\n");
    }
    {
        LogCapture log;
        const std::string written = addAllConfounds((folder / "d.sdm").string(), respiration.c_str(),
                                                    missing.c_str(), respiration.c_str(), false);
        EXPECT_EQ(written, (folder / "d_3DMC_HR_RVT.sdm").string());
        EXPECT_THAT(log.lines, Contains("Unable to open the design matrix file."));
        EXPECT_EQ(log.lines.back(), "Number of datapoints in *.sdm/*.rtc file(s) does not match the design matrix!");
    }
}

TEST(ConfoundStage, releasesEverythingWhenTheWriterFails) {
    ScratchFolder folder;
    writeWholeFile(folder / "r.rtc", rtcText);
    const std::string path = (folder / "r.rtc").string();
    LogCapture log;
    EXPECT_EQ(addConfounds("", path.c_str(), path.c_str(), "", false, true, true, false), "");
    EXPECT_EQ(addAllConfounds("", path.c_str(), path.c_str(), path.c_str(), true), "");
    EXPECT_THAT(log.lines, Contains("Error while converting PRT to SDM with any of 3DMC, heart rate and respiration files."));
    EXPECT_EQ(log.lines.back(), "Error while converting PRT to SDM with 3DMC, heart rate and respiration files.");
}

}  // namespace
