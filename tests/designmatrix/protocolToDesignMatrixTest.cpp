#include "designmatrix/protocolToDesignMatrix.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fakehost/fakeHost.h"

namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;
using Transcript = std::vector<std::string>;

std::string log(const std::string& text) { return "log: " + text; }

const char* const protocolReportText =
    "Protocol file name: D:\\data\\faces.prt\n"
    "Experiment name: Faces\n"
    "Number of conditions: 3\n"
    "Time resolution: volume\n"
    "Background color components: Red: 0 Green: 0 Blue: 0\n"
    "Reference time course color components: Red: 255 Green: 128 Blue: 0\n"
    "Reference time course pen thickness: 2\n"
    "Text color components: Red: 0 Green: 0 Blue: 255\n"
    "Time course color components: Red: 0 Green: 0 Blue: 0\n"
    "Time course pen thickness: 1\n";

const char* const restReport =
    "\nProtocol condition number: 1\nCondition name: Rest\nNumber of intervals: 1\n"
    "Interval nr 1: From: 1 to 10\nRed: 128 Green: 128 Blue: 128\n";
const char* const facesReport =
    "\nProtocol condition number: 2\nCondition name: Faces\nNumber of intervals: 2\n"
    "Interval nr 1: From: 11 to 20\nInterval nr 2: From: 31 to 40\nRed: 255 Green: 0 Blue: 0\n";
const char* const housesReport =
    "\nProtocol condition number: 3\nCondition name: Houses\nNumber of intervals: 0\n"
    "Red: 0 Green: 255 Blue: 0\n";

// A protocol of three conditions: Rest, Faces, Houses.
void scriptProtocol(FakeHost& host) {
    host.protocol.numberOfConditions = 3;
    setRecordText(host.protocol.protocolFileName, "D:\\data\\faces.prt");
    setRecordText(host.protocol.experimentName, "Faces");
    host.protocol.timeResolution = 1;
    host.protocol.textColor = 0x0000FF;
    host.protocol.timeCoursePenThickness = 1;
    host.protocol.referenceTimeCourseColor = 0xFF8000;
    host.protocol.referenceTimeCoursePenThickness = 2;
    host.conditions = {
        {"Rest", {1}, {10}, 0x808080, 1},
        {"Faces", {11, 31}, {20, 40}, 0xFF0000, 1},
        {"Houses", {}, {}, 0x00FF00, 1},
    };
    host.predictorLength = 4;
}

Transcript conditionPredictor(const std::string& name, const std::string& value, bool twoGamma) {
    return {"zrAddPredictor(\"" + name + "\")",
            "zrSetPredictorValuesFromConditionName(\"" + name + "\", \"" + name + "\", " + value + ")",
            std::string(twoGamma ? "zrApplyTwoGammaHRFToPredictorWithName(\""
                                 : "zrApplyBoyntonHRFToPredictorWithName(\"") +
                name + "\")"};
}

Transcript constantPredictor(int index) {
    return {log("Adding constant predictor..."), "zrAddPredictor(\"Constant\")",
            log("Try to fill predictor number " + std::to_string(index + 1) + " (constant)."),
            "zrGetPredictor(" + std::to_string(index) + ")"};
}

void append(Transcript& transcript, const Transcript& part) {
    transcript.insert(transcript.end(), part.begin(), part.end());
}

SdmPathBuffer bufferHolding(const std::string& text) {
    SdmPathBuffer buffer{};
    text.copy(buffer.data(), text.size());
    return buffer;
}

TEST(ProtocolToDesignMatrix, BuildsConvolvesAndSavesEveryCondition) {
    FakeHost host;
    scriptProtocol(host);
    auto installed = host.install();
    SdmPathBuffer sdmName{};

    EXPECT_TRUE(protocolToDesignMatrix(1, true, 1.5f, false, true, 4, sdmName, "D:\\data\\run1.vtc"));

    EXPECT_THAT(host.transcript,
                ElementsAre("zrGetProtocol()", log(protocolReportText),
                            log("Reading protocol conditions..."), "zrGetProtocolCondition(0)",
                            "zrGetProtocolCondition(1)", "zrGetProtocolCondition(2)",
                            log(std::string("Conditions:\n") + restReport + facesReport + housesReport),
                            "zrClearDesignMatrix()",
                            log("Applying 2-gamma HRF with predictor value: 1.500000..."),
                            "zrAddPredictor(\"Rest\")",
                            "zrSetPredictorValuesFromConditionName(\"Rest\", \"Rest\", 1.5)",
                            "zrApplyTwoGammaHRFToPredictorWithName(\"Rest\")",
                            "zrAddPredictor(\"Faces\")",
                            "zrSetPredictorValuesFromConditionName(\"Faces\", \"Faces\", 1.5)",
                            "zrApplyTwoGammaHRFToPredictorWithName(\"Faces\")",
                            "zrAddPredictor(\"Houses\")",
                            "zrSetPredictorValuesFromConditionName(\"Houses\", \"Houses\", 1.5)",
                            "zrApplyTwoGammaHRFToPredictorWithName(\"Houses\")",
                            log("Adding constant predictor..."), "zrAddPredictor(\"Constant\")",
                            log("Try to fill predictor number 4 (constant)."), "zrGetPredictor(3)",
                            "zrSaveSingleStudyGLMDesignMatrix(\"D:\\data\\run1_faces.sdm\")",
                            log("Saving of design matrix succeeded.")));
    EXPECT_STREQ(sdmName.data(), "D:\\data\\run1_faces.sdm");
    ASSERT_EQ(host.designMatrix.size(), 4u);
    EXPECT_EQ(host.designMatrix[3].name, "Constant");
    EXPECT_THAT(host.designMatrix[3].valueList(), ElementsAre(1.0f, 1.0f, 1.0f, 1.0f));
    // The condition predictors are the host's to fill.
    EXPECT_THAT(host.designMatrix[0].valueList(), ElementsAre(-7.0f, -7.0f, -7.0f, -7.0f));
}

// The response function and the value chosen, with and without the first condition.
struct PredictorCase {
    std::int32_t hrfChoice;
    float predictorValue;
    bool skipFirstCondition;
    const char* applyingLine;
    const char* valueText;
};

class ProtocolToDesignMatrixPredictors : public testing::TestWithParam<PredictorCase> {};

TEST_P(ProtocolToDesignMatrixPredictors, FollowTheChoices) {
    const PredictorCase& c = GetParam();
    FakeHost host;
    scriptProtocol(host);
    auto installed = host.install();
    SdmPathBuffer sdmName{};

    EXPECT_TRUE(protocolToDesignMatrix(c.hrfChoice, true, c.predictorValue, c.skipFirstCondition,
                                       true, 4, sdmName, "D:\\data\\run1.vtc"));

    const bool twoGamma = c.hrfChoice == 1;
    Transcript expected = {"zrGetProtocol()",
                           log(protocolReportText),
                           log("Reading protocol conditions..."),
                           "zrGetProtocolCondition(0)",
                           "zrGetProtocolCondition(1)",
                           "zrGetProtocolCondition(2)",
                           log(std::string("Conditions:\n") + restReport + facesReport + housesReport),
                           "zrClearDesignMatrix()",
                           log(c.applyingLine)};
    if (!c.skipFirstCondition) append(expected, conditionPredictor("Rest", c.valueText, twoGamma));
    append(expected, conditionPredictor("Faces", c.valueText, twoGamma));
    append(expected, conditionPredictor("Houses", c.valueText, twoGamma));
    append(expected, constantPredictor(c.skipFirstCondition ? 2 : 3));
    append(expected, {"zrSaveSingleStudyGLMDesignMatrix(\"D:\\data\\run1_faces.sdm\")",
                      log("Saving of design matrix succeeded.")});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
    ASSERT_FALSE(host.designMatrix.empty());
    EXPECT_EQ(host.designMatrix.back().name, "Constant");
    EXPECT_THAT(host.designMatrix.back().valueList(), ElementsAre(1.0f, 1.0f, 1.0f, 1.0f));
}

INSTANTIATE_TEST_SUITE_P(
    Choices, ProtocolToDesignMatrixPredictors,
    testing::Values(
        PredictorCase{1, 1.0f, false, "Applying 2-gamma HRF with predictor value: 1.000000...", "1"},
        PredictorCase{1, 1.0f, true, "Applying 2-gamma HRF with predictor value: 1.000000...", "1"},
        PredictorCase{0, 2.5f, false, "Applying Boynton HRF with predictor value: 2.500000...", "2.5"},
        PredictorCase{0, -3.0f, true, "Applying Boynton HRF with predictor value: -3.000000...", "-3"},
        PredictorCase{2, 1.0f, false, "Applying Boynton HRF with predictor value: 1.000000...", "1"},
        PredictorCase{-1, 100.0f, false,
                      "Applying Boynton HRF with predictor value: 100.000000...", "100"}));

TEST(ProtocolToDesignMatrix, WithoutProtocolTouchesNothingElse) {
    for (int result : {0, 2, -1}) {
        FakeHost host;
        scriptProtocol(host);
        host.protocolResults = {result};
        auto installed = host.install();
        SdmPathBuffer sdmName = bufferHolding("left by the caller");

        EXPECT_FALSE(protocolToDesignMatrix(1, true, 1.0f, false, true, 4, sdmName, "D:\\data\\run1.vtc"));

        EXPECT_THAT(host.transcript,
                    ElementsAre("zrGetProtocol()",
                                log("The stimulation protocol could not be retrieved.\n"
                                    "Please load a protocol first.")))
            << "result " << result;
        EXPECT_STREQ(sdmName.data(), "left by the caller");
    }
}

TEST(ProtocolToDesignMatrix, UndeliveredConditionGetsNoPredictorAndTheConstantStaysLast) {
    FakeHost host;
    scriptProtocol(host);
    host.conditions[1].result = 0;  // Faces is not delivered
    auto installed = host.install();
    SdmPathBuffer sdmName{};

    EXPECT_TRUE(protocolToDesignMatrix(1, true, 1.0f, false, true, 4, sdmName, "D:\\data\\run1.vtc"));

    Transcript expected = {"zrGetProtocol()",
                           log(protocolReportText),
                           log("Reading protocol conditions..."),
                           "zrGetProtocolCondition(0)",
                           "zrGetProtocolCondition(1)",
                           "zrGetProtocolCondition(2)",
                           log(std::string("Conditions:\n") + restReport + housesReport),
                           "zrClearDesignMatrix()",
                           log("Applying 2-gamma HRF with predictor value: 1.000000...")};
    append(expected, conditionPredictor("Rest", "1", true));
    append(expected, conditionPredictor("Houses", "1", true));
    append(expected, constantPredictor(2));
    append(expected, {"zrSaveSingleStudyGLMDesignMatrix(\"D:\\data\\run1_faces.sdm\")",
                      log("Saving of design matrix succeeded.")});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
    ASSERT_EQ(host.designMatrix.size(), 3u);
    EXPECT_THAT(host.designMatrix[2].valueList(), ElementsAre(1.0f, 1.0f, 1.0f, 1.0f));
}

TEST(ProtocolToDesignMatrix, ConditionsPastWhatTheHostHoldsAreLeftOut) {
    FakeHost host;
    scriptProtocol(host);
    host.protocol.numberOfConditions = 5;  // the host delivers only three
    auto installed = host.install();
    SdmPathBuffer sdmName{};

    EXPECT_TRUE(protocolToDesignMatrix(0, false, 1.0f, true, true, 4, sdmName, "D:\\data\\run1.vtc"));

    Transcript expected = {"zrGetProtocol()",
                           log("Reading protocol conditions..."),
                           "zrGetProtocolCondition(0)",
                           "zrGetProtocolCondition(1)",
                           "zrGetProtocolCondition(2)",
                           "zrGetProtocolCondition(3)",
                           "zrGetProtocolCondition(4)",
                           "zrClearDesignMatrix()",
                           log("Applying Boynton HRF with predictor value: 1.000000...")};
    append(expected, conditionPredictor("Faces", "1", false));
    append(expected, conditionPredictor("Houses", "1", false));
    append(expected, constantPredictor(2));
    append(expected, {"zrSaveSingleStudyGLMDesignMatrix(\"D:\\data\\run1_faces.sdm\")",
                      log("Saving of design matrix succeeded.")});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
}

TEST(ProtocolToDesignMatrix, SkippingTheFirstOfNoConditionsPutsTheConstantFirst) {
    for (std::int32_t conditionCount : {0, -4}) {
        FakeHost host;
        scriptProtocol(host);
        host.protocol.numberOfConditions = conditionCount;
        auto installed = host.install();
        SdmPathBuffer sdmName{};

        EXPECT_TRUE(protocolToDesignMatrix(1, false, 1.0f, true, true, 4, sdmName, "D:\\data\\run1.vtc"));

        Transcript expected = {"zrGetProtocol()", log("Reading protocol conditions..."),
                               "zrClearDesignMatrix()",
                               log("Applying 2-gamma HRF with predictor value: 1.000000...")};
        append(expected, constantPredictor(0));
        append(expected, {"zrSaveSingleStudyGLMDesignMatrix(\"D:\\data\\run1_faces.sdm\")",
                          log("Saving of design matrix succeeded.")});
        EXPECT_THAT(host.transcript, ElementsAreArray(expected)) << conditionCount;
        ASSERT_EQ(host.designMatrix.size(), 1u);
        EXPECT_THAT(host.designMatrix[0].valueList(), ElementsAre(1.0f, 1.0f, 1.0f, 1.0f));
    }
}

TEST(ProtocolToDesignMatrix, ConstantWithoutValuesIsReportedAndLeftAlone) {
    FakeHost host;
    scriptProtocol(host);
    host.conditions.clear();
    host.protocol.numberOfConditions = 0;
    host.predictorValuesAvailable = false;
    auto installed = host.install();
    SdmPathBuffer sdmName{};

    EXPECT_TRUE(protocolToDesignMatrix(1, false, 1.0f, false, true, 4, sdmName, "D:\\data\\run1.vtc"));

    Transcript expected = {"zrGetProtocol()", log("Reading protocol conditions..."),
                           "zrClearDesignMatrix()",
                           log("Applying 2-gamma HRF with predictor value: 1.000000...")};
    append(expected, constantPredictor(0));
    append(expected,
           {log("No values for predictor number 1 (constant); the constant predictor is left as it is."),
            "zrSaveSingleStudyGLMDesignMatrix(\"D:\\data\\run1_faces.sdm\")",
            log("Saving of design matrix succeeded.")});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
    EXPECT_THAT(host.designMatrix[0].valueList(), ElementsAre(-7.0f, -7.0f, -7.0f, -7.0f));
}

TEST(ProtocolToDesignMatrix, ConstantTakesOnesForTheVolumesOnly) {
    struct Case {
        std::int32_t volumes;
        std::vector<float> constant;
    };
    for (const Case& c : {Case{0, {-7, -7, -7, -7}}, Case{-3, {-7, -7, -7, -7}},
                          Case{2, {1, 1, -7, -7}}, Case{4, {1, 1, 1, 1}}}) {
        FakeHost host;
        scriptProtocol(host);
        auto installed = host.install();
        SdmPathBuffer sdmName{};
        EXPECT_TRUE(protocolToDesignMatrix(1, false, 1.0f, false, true, c.volumes, sdmName, "D:\\r.vtc"));
        ASSERT_EQ(host.designMatrix.size(), 4u);
        EXPECT_THAT(host.designMatrix[3].valueList(), ElementsAreArray(c.constant)) << c.volumes;
    }
}

TEST(ProtocolToDesignMatrix, WithoutConstantEndsWithTheConditions) {
    FakeHost host;
    scriptProtocol(host);
    host.protocol.numberOfConditions = 1;
    host.saveResults = {0};
    auto installed = host.install();
    SdmPathBuffer sdmName{};

    EXPECT_FALSE(protocolToDesignMatrix(1, false, 1.0f, false, false, 4, sdmName, "D:\\data\\run1.vtc"));

    Transcript expected = {"zrGetProtocol()", log("Reading protocol conditions..."),
                           "zrGetProtocolCondition(0)", "zrClearDesignMatrix()",
                           log("Applying 2-gamma HRF with predictor value: 1.000000...")};
    append(expected, conditionPredictor("Rest", "1", true));
    append(expected, {"zrSaveSingleStudyGLMDesignMatrix(\"D:\\data\\run1_faces.sdm\")",
                      log("Saving of design matrix did not succeed.")});
    EXPECT_THAT(host.transcript, ElementsAreArray(expected));
    // The path that was tried goes to the caller all the same.
    EXPECT_STREQ(sdmName.data(), "D:\\data\\run1_faces.sdm");
}

struct PathCase {
    const char* vtcPath;
    const char* protocolFileName;
    const char* sdmPath;
};

class DesignMatrixPath : public testing::TestWithParam<PathCase> {};

TEST_P(DesignMatrixPath, JoinsTheVtcStemAndTheProtocolName) {
    const PathCase& c = GetParam();
    FakeHost host;
    setRecordText(host.protocol.protocolFileName, c.protocolFileName);
    auto installed = host.install();
    SdmPathBuffer sdmName{};

    EXPECT_TRUE(protocolToDesignMatrix(1, false, 1.0f, false, false, 4, sdmName, c.vtcPath));

    EXPECT_EQ(host.transcript.end()[-2],
              "zrSaveSingleStudyGLMDesignMatrix(\"" + std::string(c.sdmPath) + "\")");
    EXPECT_STREQ(sdmName.data(), c.sdmPath);
}

INSTANTIATE_TEST_SUITE_P(
    Names, DesignMatrixPath,
    testing::Values(PathCase{"D:\\data\\run1.vtc", "D:\\data\\faces.prt", "D:\\data\\run1_faces.sdm"},
                    PathCase{"", "D:\\data\\faces.prt", "D:\\data\\faces.sdm"},
                    PathCase{"D:\\data\\run1.vtc", "D:\\data\\faces.block2.prt",
                             "D:\\data\\run1_faces.block2.sdm"},
                    PathCase{"D:/data/run1.vtc", "E:/protocols/faces.prt", "D:/data/run1_faces.sdm"},
                    PathCase{"run1.vtc", "faces.prt", "run1_faces.sdm"},
                    PathCase{"D:\\data\\run1.vtc", "", "D:\\data\\run1_.sdm"}));

TEST(ProtocolToDesignMatrix, RefusesToSaveUnderAPathTooLongForItsBuffer) {
    // "D:\\", the stem and "_faces.sdm": 511 characters with 498 in the stem, 512 with 499.
    for (std::size_t stemLength : {498u, 499u}) {
        const std::string stem = "D:\\" + std::string(stemLength, 'v');
        const std::string vtcPath = stem + ".vtc";
        const std::string sdmPath = stem + "_faces.sdm";
        FakeHost host;
        setRecordText(host.protocol.protocolFileName, "D:\\data\\faces.prt");
        auto installed = host.install();
        SdmPathBuffer sdmName = bufferHolding("left by the caller");

        const bool saved =
            protocolToDesignMatrix(1, false, 1.0f, false, false, 4, sdmName, vtcPath.c_str());

        Transcript expected = {"zrGetProtocol()", log("Reading protocol conditions..."),
                               "zrClearDesignMatrix()",
                               log("Applying 2-gamma HRF with predictor value: 1.000000...")};
        if (sdmPath.size() <= 511) {
            EXPECT_TRUE(saved);
            append(expected, {"zrSaveSingleStudyGLMDesignMatrix(\"" + sdmPath + "\")",
                              log("Saving of design matrix succeeded.")});
            EXPECT_EQ(std::string(sdmName.data()), sdmPath);
        } else {
            EXPECT_FALSE(saved);
            append(expected, {log("The design matrix path is longer than 511 characters; the "
                                  "design matrix is not saved: " + sdmPath)});
            EXPECT_STREQ(sdmName.data(), "left by the caller");
        }
        EXPECT_THAT(host.transcript, ElementsAreArray(expected)) << sdmPath.size();
    }
}

}  // namespace
