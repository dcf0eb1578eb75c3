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
