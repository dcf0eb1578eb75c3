#include "batch/runBatch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/batch/recordingConfoundStage.h"
#include "tests/fakehost/fakeHost.h"

namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;
using Transcript = std::vector<std::string>;

std::string log(const std::string& text) { return "log: " + text; }

void append(Transcript& transcript, const Transcript& part) {
    transcript.insert(transcript.end(), part.begin(), part.end());
}

const Transcript opening = {"zrShowLogTab()", log("\nquorvel (v0.8.4)> Started..."), "zrGetCurrentVMR()"};

const std::string hrfQuestion =
    "zrYesNoMessageBox(\"Would you like to apply the 2-gamma HRF (click 'Yes') or the Boynton HRF "
    "(click 'No')?\")";
const std::string valueQuestion =
    "zrGetFloatInput(\"Please enter the value for the predictor:\", 1, -100, 100)";
const std::string skipQuestion =
    "zrYesNoMessageBox(\"Skip first condition of protocol for creation of design matrix (if this "
    "is the fixation condition)?\")";
const std::string zQuestion = "zrYesNoMessageBox(\"Would you like to z-transform the confound(s)?\")";
const std::string fileDialog =
    "zrGetOpenFileName(\"Please select the file list\", \"\", \"PRT-VTC(-SDM) file list (*.txt)\")";
const std::string finished = log("Finished.\n");
const std::string cancelled = log("Cancelled further operations.");
const std::string summary = log("*.sdm file(s) available in the *.vtc file directory.");
const std::string warning = log("Warning: not all files have been properly read or classified.");
const std::string noConfounds = log("No confounds found for this protocol.");

// The questions as answered by default below: two-gamma, 1.0, no skipping, z-transform.
Transcript defaultQuestions() {
    return {hrfQuestion,  log("HRF function: 2-gamma"),        valueQuestion,
            log("Predictor value: 1.000000"),                  skipQuestion,
            log("Set to skip first condition: no"),           zQuestion,
            log("z-transform the confound(s): yes")};
}

// The host's answer to zrGetProtocol in these runs: one condition, named after the attached
// protocol the way a host names it (the VTC's folder and the name in the header).
std::string protocolReportFor(const std::string& protocolFileName) {
    return "Protocol file name: " + protocolFileName +
           "\n"
           "Experiment name: Study\n"
           "Number of conditions: 1\n"
           "Time resolution: volume\n"
           "Background color components: Red: 0 Green: 0 Blue: 0\n"
           "Reference time course color components: Red: 0 Green: 0 Blue: 0\n"
           "Reference time course pen thickness: 0\n"
           "Text color components: Red: 0 Green: 0 Blue: 0\n"
           "Time course color components: Red: 0 Green: 0 Blue: 0\n"
           "Time course pen thickness: 0\n";
}

const std::string conditionReport =
    "Conditions:\n\nProtocol condition number: 1\nCondition name: Faces\nNumber of intervals: 1\n"
    "Interval nr 1: From: 1 to 2\nRed: 255 Green: 0 Blue: 0\n";

// The design-matrix step for that protocol, with the default answers.
Transcript designMatrixSteps(const std::string& protocolFileName, const std::string& sdmPath,
                             bool saved) {
    return {"zrGetProtocol()",
            log(protocolReportFor(protocolFileName)),
            log("Reading protocol conditions..."),
            "zrGetProtocolCondition(0)",
            log(conditionReport),
            "zrClearDesignMatrix()",
            log("Applying 2-gamma HRF with predictor value: 1.000000..."),
            "zrAddPredictor(\"Faces\")",
            "zrSetPredictorValuesFromConditionName(\"Faces\", \"Faces\", 1)",
            "zrApplyTwoGammaHRFToPredictorWithName(\"Faces\")",
            log("Adding constant predictor..."),
            "zrAddPredictor(\"Constant\")",
            log("Try to fill predictor number 2 (constant)."),
            "zrGetPredictor(1)",
            "zrSaveSingleStudyGLMDesignMatrix(\"" + sdmPath + "\")",
            log(saved ? "Saving of design matrix succeeded." : "Saving of design matrix did not succeed.")};
}

// From the linking to the attached protocol's log line.
Transcript linkAndAttach(const std::string& vtcPath, const std::string& protocolName) {
    return {log("\nLoad " + vtcPath + " to VMR..."),
            "zrLinkVTCToCurrentVMR(\"" + vtcPath + "\", 1)",
            "zrGetHeaderOfVTCOfCurrentVMR()",
            "zrClearProtocol(false)",
            "zrClearDesignMatrix()",
            "zrSetHeaderOfVTCOfCurrentVMR(\"" + protocolName + "\")",
            log("Linking " + protocolName + " to VTC...")};
}

// A whole group whose every host call succeeds, up to and including the hand-off.
Transcript successfulGroup(const std::string& folder, const std::string& protocolStem,
                           const std::string& vtcStem, const Transcript& handoff) {
    const std::string vtcPath = folder + vtcStem + ".vtc";
    const std::string sdmPath = folder + vtcStem + "_" + protocolStem + ".sdm";
    Transcript group = linkAndAttach(vtcPath, protocolStem + ".prt");
    append(group, designMatrixSteps(folder + protocolStem + ".prt", sdmPath, true));
    append(group, {"zrSaveVTCOfCurrentVMR(\"" + vtcPath + "\")", log("New SDM name: " + sdmPath)});
    append(group, handoff);
    return group;
}

Transcript listLines(const std::string& listPath, int count, const std::vector<std::string>& tokens) {
    Transcript lines = {log("Number of PRT-VTC pairs: " + std::to_string(count)), log("Reading filenames...")};
    for (const std::string& token : tokens) lines.push_back(log(token));
    lines.push_back(log("Generating SDM(s) from: " + listPath));
    return lines;
}

// The opening of a run with the default answers, up to the list's last log line.
Transcript startOfRun(const std::string& listPath, int count, const std::vector<std::string>& tokens) {
    Transcript start = opening;
    append(start, defaultQuestions());
    start.push_back(fileDialog);
    append(start, listLines(listPath, count, tokens));
    return start;
}

class RunBatch : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::path(testing::TempDir()) /
                 (std::string("quorvel_run_") + info->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        host.yesNoAnswers = {1, 0, 1};
        host.floatAnswer = 1.0f;
        host.protocol.numberOfConditions = 1;
        host.protocol.timeResolution = 1;
        setRecordText(host.protocol.experimentName, "Study");
        host.conditions = {{"Faces", {1}, {2}, 0xFF0000, 1}};
    }

    void TearDown() override { std::filesystem::remove_all(folder); }

    // Writes the list and makes it the file dialog's answer.
    std::string useList(const std::string& content, const std::string& name = "list.txt") {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << content;
        host.openFilePath = path;
        return path;
    }

    bool run() { return runBatch(recordingConfoundStage()); }

    std::filesystem::path folder;
    FakeHost host;
};

TEST_F(RunBatch, ConvertsOneProtocolWithItsMotionFile) {
    const std::string listPath =
        useList("1\nD:\\study\\run1.prt\nD:\\study\\run1.vtc\nD:\\study\\run1_3DMC.sdm\n");
    auto installed = host.install();

    EXPECT_TRUE(run());

    const Transcript expected = {
        "zrShowLogTab()",
        log("\nquorvel (v0.8.4)> Started..."),
        "zrGetCurrentVMR()",
        hrfQuestion,
        log("HRF function: 2-gamma"),
        valueQuestion,
        log("Predictor value: 1.000000"),
        skipQuestion,
        log("Set to skip first condition: no"),
        zQuestion,
        log("z-transform the confound(s): yes"),
        fileDialog,
        log("Number of PRT-VTC pairs: 1"),
        log("Reading filenames..."),
        log("D:\\study\\run1.prt"),
        log("D:\\study\\run1.vtc"),
        log("D:\\study\\run1_3DMC.sdm"),
        log("^"),
        log("Generating SDM(s) from: " + listPath),
        log("\nLoad D:\\study\\run1.vtc to VMR..."),
        "zrLinkVTCToCurrentVMR(\"D:\\study\\run1.vtc\", 1)",
        "zrGetHeaderOfVTCOfCurrentVMR()",
        "zrClearProtocol(false)",
        "zrClearDesignMatrix()",
        "zrSetHeaderOfVTCOfCurrentVMR(\"run1.prt\")",
        log("Linking run1.prt to VTC..."),
        "zrGetProtocol()",
        log(protocolReportFor("D:\\study\\run1.prt")),
        log("Reading protocol conditions..."),
        "zrGetProtocolCondition(0)",
        log(conditionReport),
        "zrClearDesignMatrix()",
        log("Applying 2-gamma HRF with predictor value: 1.000000..."),
        "zrAddPredictor(\"Faces\")",
        "zrSetPredictorValuesFromConditionName(\"Faces\", \"Faces\", 1)",
        "zrApplyTwoGammaHRFToPredictorWithName(\"Faces\")",
        log("Adding constant predictor..."),
        "zrAddPredictor(\"Constant\")",
        log("Try to fill predictor number 2 (constant)."),
        "zrGetPredictor(1)",
        "zrSaveSingleStudyGLMDesignMatrix(\"D:\\study\\run1_run1.sdm\")",
        log("Saving of design matrix succeeded."),
        "zrSaveVTCOfCurrentVMR(\"D:\\study\\run1.vtc\")",
        log("New SDM name: D:\\study\\run1_run1.sdm"),
        log("Adding D:\\study\\run1_3DMC.sdm for SDM..."),
        "addConfounds(\"D:\\study\\run1_run1.sdm\", \"D:\\study\\run1_3DMC.sdm\", \"\", \"\", true, true, false, false)",
        summary,
        finished,
    };
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
    // The constant holds a one for each of the header's five volumes.
    ASSERT_EQ(host.designMatrix.size(), 2u);
    EXPECT_THAT(host.designMatrix[1].valueList(), ElementsAre(1.0f, 1.0f, 1.0f, 1.0f, 1.0f));
}

TEST_F(RunBatch, WithoutVmrAsksNothing) {
    host.vmrPresent = false;
    host.yesNoAnswers.clear();
    auto installed = host.install();

    EXPECT_FALSE(run());

    EXPECT_THAT(host.transcript,
                ElementsAre("zrShowLogTab()", log("\nquorvel (v0.8.4)> Started..."), "zrGetCurrentVMR()",
                            "zrMessageBox(\"This plugin requires that a VMR document is available and "
                            "selected in Morvane.\")",
                            log("No VMR present, action cancelled.")));
}

TEST_F(RunBatch, CancelledValueDialogStillAsksTheLastTwoQuestions) {
    host.floatAnswer = -101.0f;
    host.yesNoAnswers = {0, 1, 0};
    auto installed = host.install();

    EXPECT_TRUE(run());

    Transcript expected = opening;
    append(expected, {hrfQuestion, log("HRF function: Boynton"), valueQuestion,
                      log("Predictor value: -101.000000"), skipQuestion,
                      log("Set to skip first condition: yes"), zQuestion,
                      log("z-transform the confound(s): no"), cancelled, finished});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
}

// The raw answers and their log lines; no list is chosen, so each run ends after the dialog.
struct AnswerCase {
    int hrfAnswer;
    float value;
    int skipAnswer;
    int zAnswer;
    const char* hrfText;
    const char* valueText;
    const char* skipText;
    const char* zText;
};

class RunBatchAnswers : public RunBatch, public testing::WithParamInterface<AnswerCase> {};

TEST_P(RunBatchAnswers, AreLoggedAsTheHostGaveThem) {
    const AnswerCase& c = GetParam();
    host.yesNoAnswers = {c.hrfAnswer, c.skipAnswer, c.zAnswer};
    host.floatAnswer = c.value;
    host.openFileResult = 0;
    auto installed = host.install();

    EXPECT_TRUE(run());

    Transcript expected = opening;
    append(expected, {hrfQuestion, log(std::string("HRF function: ") + c.hrfText), valueQuestion,
                      log(std::string("Predictor value: ") + c.valueText), skipQuestion,
                      log(std::string("Set to skip first condition: ") + c.skipText), zQuestion,
                      log(std::string("z-transform the confound(s): ") + c.zText), fileDialog,
                      cancelled, finished});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, RunBatchAnswers,
    testing::Values(AnswerCase{1, 1.0f, 0, 0, "2-gamma", "1.000000", "no", "no"},
                    AnswerCase{0, 2.5f, 1, 1, "Boynton", "2.500000", "yes", "yes"},
                    AnswerCase{2, -100.0f, 2, -1, "Boynton", "-100.000000", "yes", "yes"},
                    // Only exactly -101 cancels.
                    AnswerCase{-1, -100.5f, 0, 7, "Boynton", "-100.500000", "no", "yes"}));

TEST_F(RunBatch, ListThatCannotBeOpenedEndsTheRunLikeACancel) {
    host.openFilePath = (folder / "missing.txt").string();
    auto installed = host.install();

    EXPECT_TRUE(run());

    Transcript expected = opening;
    append(expected, defaultQuestions());
    append(expected, {fileDialog, log("Unable to open the file list: " + host.openFilePath), finished});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
}

TEST_F(RunBatch, DialogPathFillingTheWholeBufferIsNotCut) {
    host.openFilePath = std::string(600, 'p');
    auto installed = host.install();

    EXPECT_TRUE(run());

    Transcript expected = opening;
    append(expected, defaultQuestions());
    append(expected, {fileDialog, log("The path of the chosen file list is longer than 511 characters."),
                      finished});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
}

TEST_F(RunBatch, ListWithoutProtocolsEndsWithTheSummary) {
    const std::string listPath = useList("0 D:\\study\\run1.vtc D:\\study\\notes.txt");
    auto installed = host.install();

    EXPECT_TRUE(run());

    Transcript expected = startOfRun(listPath, 0, {"D:\\study\\run1.vtc", "D:\\study\\notes.txt", "^"});
    append(expected, {summary, finished});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
}

TEST_F(RunBatch, ListWithAnOverlongEntryIsNotProcessed) {
    const std::string overlong = "D:\\" + std::string(509, 'x') + ".vtc";
    const std::string listPath = useList("1 D:\\a.prt " + overlong);
    auto installed = host.install();

    EXPECT_TRUE(run());

    Transcript expected = opening;
    append(expected, defaultQuestions());
    append(expected, {fileDialog, log("Number of PRT-VTC pairs: 1"), log("Reading filenames..."),
                      log("D:\\a.prt"),
                      log("File name longer than 511 characters in the file list, the list is not "
                          "processed: " + overlong),
                      finished});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
}

// Two groups, each linked with the given result: the summary follows the last group only.
struct LinkCase {
    int firstLink;
    int secondLink;
    bool summaryLogged;
};

class RunBatchLinking : public RunBatch, public testing::WithParamInterface<LinkCase> {};

TEST_P(RunBatchLinking, SummaryReflectsTheLastGroupThatWasLinked) {
    const LinkCase& c = GetParam();
    const std::string listPath = useList("2\nD:\\s\\a.prt\nD:\\s\\a.vtc\nD:\\s\\b.prt\nD:\\s\\b.vtc\n");
    host.linkResults = {c.firstLink, c.secondLink};
    auto installed = host.install();

    EXPECT_TRUE(run());

    const Transcript failedLink = {"zrLinkVTCToCurrentVMR(\"D:\\s\\a.vtc\", 1)",
                                   log("Did not succeed in linking and generating.")};
    Transcript expected = startOfRun(listPath, 2, {"D:\\s\\a.prt", "D:\\s\\a.vtc", "D:\\s\\b.prt", "D:\\s\\b.vtc", "^"});
    for (const char* stem : {"a", "b"}) {
        const int result = stem[0] == 'a' ? c.firstLink : c.secondLink;
        if (result == 1) {
            append(expected, successfulGroup("D:\\s\\", stem, stem, {noConfounds}));
        } else {
            append(expected, {log(std::string("\nLoad D:\\s\\") + stem + ".vtc to VMR..."),
                              std::string("zrLinkVTCToCurrentVMR(\"D:\\s\\") + stem + ".vtc\", 1)",
                              log("Did not succeed in linking and generating.")});
        }
    }
    if (c.summaryLogged) expected.push_back(summary);
    expected.push_back(finished);
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
}

INSTANTIATE_TEST_SUITE_P(Results, RunBatchLinking,
                         testing::Values(LinkCase{1, 1, true}, LinkCase{1, 0, false},
                                         LinkCase{0, 1, true}, LinkCase{1, 2, false},
                                         LinkCase{0, -1, false}));

TEST_F(RunBatch, HeaderNotAvailableEndsTheGroupAndTheSummary) {
    const std::string listPath = useList("1 D:\\s\\a.prt D:\\s\\a.vtc D:\\s\\a_HR.sdm");
    host.headerResults = {0};
    auto installed = host.install();

    EXPECT_TRUE(run());

    Transcript expected = startOfRun(listPath, 1, {"D:\\s\\a.prt", "D:\\s\\a.vtc", "D:\\s\\a_HR.sdm", "^"});
    append(expected, {log("\nLoad D:\\s\\a.vtc to VMR..."), "zrLinkVTCToCurrentVMR(\"D:\\s\\a.vtc\", 1)",
                      "zrGetHeaderOfVTCOfCurrentVMR()", log("Not able to retrieve VTC header information."),
                      finished});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
}

TEST_F(RunBatch, VtcIsSavedAndConfoundsHandedOnWhenTheDesignMatrixWasNotSaved) {
    const std::string listPath = useList("1 D:\\s\\a.prt D:\\s\\a.vtc D:\\s\\a_RVT.rtc");
    host.saveResults = {0};
    auto installed = host.install();

    EXPECT_TRUE(run());

    Transcript expected = startOfRun(listPath, 1, {"D:\\s\\a.prt", "D:\\s\\a.vtc", "D:\\s\\a_RVT.rtc", "^"});
    append(expected, linkAndAttach("D:\\s\\a.vtc", "a.prt"));
    append(expected, designMatrixSteps("D:\\s\\a.prt", "D:\\s\\a_a.sdm", false));
    append(expected, {"zrSaveVTCOfCurrentVMR(\"D:\\s\\a.vtc\")", log("New SDM name: D:\\s\\a_a.sdm"),
                      log("Adding D:\\s\\a_RVT.rtc for SDM..."),
                      "addConfounds(\"D:\\s\\a_a.sdm\", \"\", \"\", \"D:\\s\\a_RVT.rtc\", true, false, false, true)",
                      finished});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
}

TEST_F(RunBatch, ProtocolNotRetrievedHandsOnAnEmptyDesignMatrixName) {
    const std::string listPath = useList("1 D:\\s\\a.prt D:\\s\\a.vtc D:\\s\\a_3DMC.sdm D:\\s\\a_HR.sdm D:\\s\\a_RVT.sdm");
    host.protocolResults = {0};
    auto installed = host.install();

    EXPECT_TRUE(run());

    Transcript expected = startOfRun(listPath, 1,
                                     {"D:\\s\\a.prt", "D:\\s\\a.vtc", "D:\\s\\a_3DMC.sdm", "D:\\s\\a_HR.sdm",
                                      "D:\\s\\a_RVT.sdm", "^"});
    append(expected, linkAndAttach("D:\\s\\a.vtc", "a.prt"));
    append(expected,
           {"zrGetProtocol()",
            log("The stimulation protocol could not be retrieved.\nPlease load a protocol first."),
            "zrSaveVTCOfCurrentVMR(\"D:\\s\\a.vtc\")", log("New SDM name: "),
            log("Adding D:\\s\\a_3DMC.sdm for SDM..."), log("Adding D:\\s\\a_HR.sdm for SDM..."),
            log("Adding D:\\s\\a_RVT.sdm for SDM..."),
            "addAllConfounds(\"\", \"D:\\s\\a_3DMC.sdm\", \"D:\\s\\a_HR.sdm\", \"D:\\s\\a_RVT.sdm\", true)",
            finished});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
}

TEST_F(RunBatch, ProtocolWithoutTimeCourseLeavesTheOutcomeAlone) {
    // The first protocol has no VTC right after it; the count is off by one as well.
    const std::string listPath = useList("1\nD:\\s\\a.prt\nD:\\s\\b.prt\nD:\\s\\b.vtc\nD:\\s\\b.sdm\n");
    host.linkResults = {1};
    auto installed = host.install();

    EXPECT_TRUE(run());

    Transcript expected = startOfRun(listPath, 1, {"D:\\s\\a.prt", "D:\\s\\b.prt", "D:\\s\\b.vtc", "D:\\s\\b.sdm", "^"});
    append(expected, {warning, log("No VTC file found for PRT")});
    append(expected, successfulGroup("D:\\s\\", "b", "b", {noConfounds}));
    append(expected, {summary, finished});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
}

TEST_F(RunBatch, FailedGroupFollowedByAGroupWithoutTimeCourseKeepsTheFailure) {
    const std::string listPath = useList("2 a.prt a.vtc b.prt");
    host.linkResults = {0};
    auto installed = host.install();

    EXPECT_TRUE(run());

    Transcript expected = startOfRun(listPath, 2, {"a.prt", "a.vtc", "b.prt", "^"});
    append(expected, {log("\nLoad a.vtc to VMR..."), "zrLinkVTCToCurrentVMR(\"a.vtc\", 1)",
                      log("Did not succeed in linking and generating."), log("No VTC file found for PRT"),
                      finished});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
}

TEST_F(RunBatch, RelativeEntriesWithForwardSlashesAreUsedAsWritten) {
    const std::string listPath = useList("1\r\ndata/run1.prt\r\ndata/run1.vtc\r\n.\r\nignored.prt\r\n");
    auto installed = host.install();

    EXPECT_TRUE(run());

    Transcript expected = startOfRun(listPath, 1, {"data/run1.prt", "data/run1.vtc", "."});
    append(expected, successfulGroup("data/", "run1", "run1", {noConfounds}));
    append(expected, {summary, finished});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
}

TEST_F(RunBatch, SecondRunAsksAgainAndKeepsNothingFromTheFirst) {
    const std::string firstList = useList("1 D:\\s\\a.prt D:\\s\\a.vtc D:\\s\\a_HR.sdm", "first.txt");
    const std::string secondList = useList("1 D:\\s\\b.prt D:\\s\\b.vtc D:\\s\\b_3DMC.sdm", "second.txt");
    host.yesNoAnswers = {1, 0, 1, 1, 0, 0};
    auto installed = host.install();

    host.openFilePath = firstList;
    EXPECT_TRUE(run());
    host.transcript.clear();
    host.openFilePath = secondList;
    EXPECT_TRUE(run());

    Transcript expected = opening;
    append(expected, {hrfQuestion, log("HRF function: 2-gamma"), valueQuestion,
                      log("Predictor value: 1.000000"), skipQuestion,
                      log("Set to skip first condition: no"), zQuestion,
                      log("z-transform the confound(s): no"), fileDialog});
    append(expected, listLines(secondList, 1, {"D:\\s\\b.prt", "D:\\s\\b.vtc", "D:\\s\\b_3DMC.sdm", "^"}));
    // The first run's heart-rate path does not reach the second run's confound stage.
    append(expected, successfulGroup("D:\\s\\", "b", "b",
                                     {log("Adding D:\\s\\b_3DMC.sdm for SDM..."),
                                      "addConfounds(\"D:\\s\\b_b.sdm\", \"D:\\s\\b_3DMC.sdm\", \"\", \"\", "
                                      "false, true, false, false)"}));
    append(expected, {summary, finished});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
    EXPECT_TRUE(host.yesNoAnswers.empty());
}

TEST_F(RunBatch, ProtocolNameInTheHeaderHasNoFolder) {
    const std::string listPath = useList("1 D:\\study\\protocols.v2\\faces.prt D:\\study\\run1.vtc");
    auto installed = host.install();

    EXPECT_TRUE(run());

    // The host finds the protocol by its bare name beside the VTC.
    Transcript expected = startOfRun(listPath, 1, {"D:\\study\\protocols.v2\\faces.prt", "D:\\study\\run1.vtc", "^"});
    append(expected, successfulGroup("D:\\study\\", "faces", "run1", {noConfounds}));
    append(expected, {summary, finished});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
}

TEST_F(RunBatch, LongestEntriesAreLoggedWholeAndATooLongDesignMatrixPathIsNotSaved) {
    // A VTC entry of 511 characters: its design matrix would need 513.
    const std::string vtcPath = "D:\\" + std::string(504, 'v') + ".vtc";
    ASSERT_EQ(vtcPath.size(), 511u);
    const std::string sdmPath = vtcPath.substr(0, 507) + "_a.sdm";
    const std::string listPath = useList("1 D:\\a.prt " + vtcPath + " D:\\a_HR.sdm");
    auto installed = host.install();

    EXPECT_TRUE(run());

    Transcript expected = startOfRun(listPath, 1, {"D:\\a.prt", vtcPath, "D:\\a_HR.sdm", "^"});
    append(expected, linkAndAttach(vtcPath, "a.prt"));
    Transcript designMatrix = designMatrixSteps("D:\\a.prt", sdmPath, false);
    designMatrix.resize(designMatrix.size() - 2);  // no save
    append(expected, designMatrix);
    append(expected, {log("The design matrix path is longer than 511 characters; the design matrix "
                          "is not saved: " + sdmPath),
                      "zrSaveVTCOfCurrentVMR(\"" + vtcPath + "\")", log("New SDM name: "),
                      log("Adding D:\\a_HR.sdm for SDM..."),
                      "addConfounds(\"\", \"\", \"D:\\a_HR.sdm\", \"\", true, false, true, false)",
                      finished});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
}

// With the confound stage of the confounds folder: the host saves a design matrix of one
// condition and the constant, and the run writes it out again with the motion predictors.
TEST_F(RunBatch, WritesTheDesignMatrixWithTheMotionPredictors) {
    const std::string f = folder.string() + "/";
    host.designMatrixFileText =
        "FileVersion: 1\n\nNrOfPredictors: 2\nNrOfDataPoints: 5\nIncludesConstant: 1\n"
        "FirstConfoundPredictor: 2\n\n255 0 0 255 255 255 \n\"Faces\"\t\t\"Constant\"\n"
        "0.5\t1.000000\n0\t1.000000\n0.5\t1.000000\n0\t1.000000\n0.5\t1.000000\n";
    std::ofstream(f + "run1_3DMC.sdm")
        << "FileVersion: 1\nNrOfPredictors: 6\nNrOfDataPoints: 5\nIncludesConstant: 0\n"
           "FirstConfoundPredictor: 1\n"
           "255 50 50 50 255 50 50 50 255 255 255 0 255 0 255 0 255 255\n"
           "\"Translation BV-X [mm]\" \"Translation BV-Y [mm]\" \"Translation BV-Z [mm]\" "
           "\"Rotation BV-X [deg]\" \"Rotation BV-Y [deg]\" \"Rotation BV-Z [deg]\"\n"
           "1 1 1 1 1 1\n2 2 2 2 2 2\n3 3 3 3 3 3\n4 4 4 4 4 4\n5 5 5 5 5 5\n";
    const std::string listPath =
        useList("1\n" + f + "run1.prt\n" + f + "run1.vtc\n" + f + "run1_3DMC.sdm\n");
    auto installed = host.install();

    EXPECT_TRUE(runBatch());

    Transcript expected = startOfRun(listPath, 1, {f + "run1.prt", f + "run1.vtc", f + "run1_3DMC.sdm", "^"});
    append(expected,
           successfulGroup(f, "run1", "run1",
                           {log("Adding " + f + "run1_3DMC.sdm for SDM..."),
                            log("Reading file: " + f + "run1_3DMC.sdm"),
                            log("Fileversion: 1\nNr of Predictors: 6\nNr of datapoints: 5\n"
                                "Includes constant: 0\nFirst confound: 1"),
                            log("Reading colors..."), log("Reading motion estimates..."),
                            log("z-transform predictor..."),
                            log("New filename: " + f + "run1_run1_3DMC_z.sdm")}));
    append(expected, {summary, finished});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));

    std::ifstream written(f + "run1_run1_3DMC_z.sdm", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(written)), std::istreambuf_iterator<char>());
    const std::string z = "-1.41421\t-1.41421\t-1.41421\t-1.41421\t-1.41421\t-1.41421\t";
    EXPECT_EQ(text,
              "FileVersion: 1\n\nNrOfPredictors: 8\nNrOfDataPoints: 5\nIncludesConstant: 1\n"
              "FirstConfoundPredictor: 2\n\n"
              "255 0 0 255 50 50 50 255 50 50 50 255 255 255 0 255 0 255 0 255 255 255 255 255 \n"
              "\"Faces\"\t\"Translation MN-X [mm]\"\t\"Translation MN-Y [mm]\"\t\"Translation MN-Z [mm]\"\t"
              "\"Rotation MN-X [deg]\"\t\"Rotation MN-Y [deg]\"\t\"Rotation MN-Z [deg]\"\t\t\"Constant\"\n"
              "0.5\t" + z + "1.000000\n"
              "0\t-0.707107\t-0.707107\t-0.707107\t-0.707107\t-0.707107\t-0.707107\t1.000000\n"
              "0.5\t0\t0\t0\t0\t0\t0\t1.000000\n"
              "0\t0.707107\t0.707107\t0.707107\t0.707107\t0.707107\t0.707107\t1.000000\n"
              "0.5\t1.41421\t1.41421\t1.41421\t1.41421\t1.41421\t1.41421\t1.000000\n");
}

}  // namespace
