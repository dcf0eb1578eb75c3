// What the command line may ask for, and the names of the files it makes.
#include "confoundmodels/modelChoice.h"

#include <gtest/gtest.h>

#include "confoundmodels/modelFileName.h"

namespace morvane {
namespace {

TEST(ModelChoice, ThresholdsAreDecimalNumbersOfZeroOrMore) {
    struct Case {
        const char* text;
        double value;
    };
    for (const Case& c : {Case{"0.5", 0.5}, Case{"0.30", 0.3}, Case{"1", 1.0}, Case{"0", 0.0}, Case{".2", 0.2},
                          Case{"2.", 2.0}, Case{"0000.25", 0.25}}) {
        const auto threshold = parseSpikeThreshold(c.text);
        ASSERT_TRUE(threshold) << c.text << ": " << threshold.error;
        EXPECT_DOUBLE_EQ(*threshold.value, c.value) << c.text;
    }
    for (const char* text : {"", "-0.5", "+0.5", "abc", "0.5mm", "1e-1", "0.5.1", ".", "nan", "inf", " 0.5", "0,5",
                             "../x", "12345678901234567"}) {
        const auto threshold = parseSpikeThreshold(text);
        EXPECT_FALSE(threshold) << text;
        EXPECT_NE(threshold.error.find("--spikes-fd"), std::string::npos) << threshold.error;
    }
}

TEST(ModelChoice, ModelsOtherThanSixTwelveAndTwentyFourAreUsageErrors) {
    for (int model : {6, 12, 24}) EXPECT_EQ(motionModelProblem(model), "") << model;
    EXPECT_EQ(motionModelProblem(18), "--motion-model must be 6, 12 or 24, not 18");
    EXPECT_NE(motionModelProblem(-1), "");
}

// Both options checked, the model first; the threshold kept as given for the file name.
TEST(ModelChoice, TheCommandLinesOptionsMakeOneChoiceOrTheFirstUsageError) {
    struct Case {
        int model;
        std::optional<std::string> spikesFd;
        const char* errorPart;  // "" when the choice is made
    };
    const Case cases[] = {
        {24, "0.50", ""},
        {12, std::nullopt, ""},
        {6, std::nullopt, ""},
        {18, "0.5", "--motion-model"},
        {18, "half", "--motion-model"},
        {24, "half", "--spikes-fd"},
        {6, "", "--spikes-fd"},
    };
    for (const Case& c : cases) {
        const ParseResult<ConfoundModelChoice> choice = confoundModelChoice(c.model, c.spikesFd);
        const std::string what = std::to_string(c.model) + " " + c.spikesFd.value_or("(none)");
        if (*c.errorPart != '\0') {
            EXPECT_FALSE(choice) << what;
            EXPECT_EQ(choice.error.rfind(c.errorPart, 0), 0u) << what << ": " << choice.error;
            continue;
        }
        ASSERT_TRUE(choice) << what << ": " << choice.error;
        EXPECT_EQ(choice.value->motionModel, c.model);
        EXPECT_EQ(choice.value->spikeThresholdText, c.spikesFd);
        EXPECT_EQ(choice.value->spikeThresholdMm, c.spikesFd ? std::stod(*c.spikesFd) : 0.0);
    }
}

TEST(ModelFileName, StemThenModelThenThresholdAsGiven) {
    struct Case {
        const char* extended;
        int model;
        const char* threshold;  // nullptr: spikes off
        const char* name;
    };
    const Case cases[] = {
        {"run1_run1_3DMC_z_HR_z_RVT_z.sdm", 24, "0.5", "run1_run1_3DMC_z_HR_z_RVT_z_24P_FD0.5.sdm"},
        {"run1_run1_3DMC.sdm", 12, nullptr, "run1_run1_3DMC_12P.sdm"},
        {"run1_run1_3DMC.sdm", 6, "0.30", "run1_run1_3DMC_FD0.30.sdm"},
        {"sub/dir.v2/run_3DMC_z.SDM", 24, "1", "sub/dir.v2/run_3DMC_z_24P_FD1.sdm"},
        {"noextension", 12, nullptr, "noextension_12P.sdm"},
    };
    for (const Case& c : cases) {
        ConfoundModelChoice choice;
        choice.motionModel = c.model;
        if (c.threshold != nullptr) choice.spikeThresholdText = c.threshold;
        EXPECT_EQ(modelFileName(c.extended, choice), c.name);
        EXPECT_EQ(choice.asksForMore(), c.model != 6 || c.threshold != nullptr);
    }
    EXPECT_FALSE(ConfoundModelChoice{}.asksForMore());
}

}  // namespace
}  // namespace morvane
