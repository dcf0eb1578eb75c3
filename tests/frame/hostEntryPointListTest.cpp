#include <gtest/gtest.h>

#include <set>
#include <string>

#include "host/hostEntryPointNames.h"
#include "host/hostEntryPoints.h"

namespace {

TEST(HostEntryPointList, Has184DistinctNamesWithTheVersionFirst) {
    EXPECT_EQ(hostEntryPointCount, 184u);
    std::set<std::string> distinct(std::begin(hostEntryPointNames), std::end(hostEntryPointNames));
    EXPECT_EQ(distinct.size(), 184u);
    EXPECT_STREQ(hostEntryPointNames[0], "zrGetVersionOfMorvaneZR");
    EXPECT_STREQ(hostEntryPointNames[183], "zrLaunchICADialog");
    for (const char* name : hostEntryPointNames) EXPECT_EQ(std::string(name).rfind("zr", 0), 0u) << name;
}

TEST(HostEntryPointList, TypesExactlyTheEntriesARunCalls) {
    std::set<std::string> typed;
#define QUORVEL_COUNT_TYPED(name, result, parameters) typed.insert(#name);
#define QUORVEL_COUNT_UNTYPED(name)
    QUORVEL_HOST_ENTRY_POINTS(QUORVEL_COUNT_TYPED, QUORVEL_COUNT_UNTYPED)
#undef QUORVEL_COUNT_TYPED
#undef QUORVEL_COUNT_UNTYPED
    const std::set<std::string> called = {
        "zrGetVersionOfMorvaneZR", "zrShowLogTab", "zrLogText", "zrMessageBox",
        "zrYesNoMessageBox", "zrGetFloatInput", "zrGetOpenFileName", "zrGetCurrentVMR",
        "zrLinkVTCToCurrentVMR", "zrGetHeaderOfVTCOfCurrentVMR", "zrClearProtocol",
        "zrClearDesignMatrix", "zrSetHeaderOfVTCOfCurrentVMR", "zrSaveVTCOfCurrentVMR",
        "zrGetProtocol", "zrGetProtocolCondition", "zrAddPredictor",
        "zrSetPredictorValuesFromConditionName", "zrApplyTwoGammaHRFToPredictorWithName",
        "zrApplyBoyntonHRFToPredictorWithName", "zrGetPredictor",
        "zrSaveSingleStudyGLMDesignMatrix"};
    EXPECT_EQ(typed, called);
}

}  // namespace
