#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/initPluginWith.h"
#include "plugin/isVersionAtLeast.h"
#include "tests/frame/scriptedHostLookup.h"

namespace {

constexpr const char* tooOldMessage =
    "Can not execute this plugin - Morvane version 20 or higher required.";

// What the scripted host reports and what it was asked to show.
int reportedVersion[3] = {2, 9, 5};
bool fillsVersion = true;
int versionCalls = 0;
std::vector<std::string> messages;

void reportVersion(int* major, int* minor, int* patch) {
    ++versionCalls;
    if (!fillsVersion) return;
    *major = reportedVersion[0];
    *minor = reportedVersion[1];
    *patch = reportedVersion[2];
}

void showMessage(const char* text) { messages.emplace_back(text); }

class InitPlugin : public ::testing::Test {
protected:
    void SetUp() override {
        hostFunctions = HostFunctionTable{};
        reportedVersion[0] = 2;
        reportedVersion[1] = 9;
        reportedVersion[2] = 5;
        fillsVersion = true;
        versionCalls = 0;
        messages.clear();
        // Every entry at a fake address: calling one the test did not script would crash.
        HostExports& exports = host.modules["Morvane.exe"];
        exports = allHostExports(0);
        exports["zrGetVersionOfMorvaneZR"] = reinterpret_cast<UntypedHostFunction>(&reportVersion);
        exports["zrMessageBox"] = reinterpret_cast<UntypedHostFunction>(&showMessage);
    }
    HostExports& exports() { return host.modules["Morvane.exe"]; }

    ScriptedHostLookup host;
};

TEST(IsVersionAtLeast, ComparesSignedTriplesLexicographically) {
    struct Case {
        int major, minor, patch;
        bool expected;
    };
    const Case cases[] = {
        {2, 9, 5, true},    {2, 9, 4, false},    {2, 10, 0, true},  {3, 0, 0, true},
        {20, 0, 0, true},   {1, 99, 99, false},  {2, 8, 9, false},  {2, -1, 100, false},
        {2, 9, 6, true},    {2, 9, -5, false},   {-2, 9, 5, false}, {2, 10, -100, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isVersionAtLeast(c.major, c.minor, c.patch, 2, 9, 5), c.expected)
            << c.major << "." << c.minor << "." << c.patch;
    EXPECT_TRUE(isVersionAtLeast(0, 0, 0, 0, 0, 0));
    EXPECT_FALSE(isVersionAtLeast(0, 0, -1, 0, 0, 0));
}

TEST_F(InitPlugin, AcceptsHostsFrom295OnAndRefusesOlderOnesWithTheMessage) {
    struct Case {
        int major, minor, patch;
        bool accepted;
    };
    const Case cases[] = {
        {2, 9, 5, true},   {2, 9, 4, false},   {2, 10, 0, true}, {3, 0, 0, true},
        {20, 0, 0, true},  {1, 99, 99, false}, {2, 8, 9, false}, {2, -1, 100, false},
    };
    for (const Case& c : cases) {
        messages.clear();
        reportedVersion[0] = c.major;
        reportedVersion[1] = c.minor;
        reportedVersion[2] = c.patch;
        EXPECT_EQ(initPluginWith(host.lookup()), c.accepted)
            << c.major << "." << c.minor << "." << c.patch;
        const std::vector<std::string> expected =
            c.accepted ? std::vector<std::string>{} : std::vector<std::string>{tooOldMessage};
        EXPECT_EQ(messages, expected);
    }
}

TEST_F(InitPlugin, WithoutAHostModuleOrVersionEntryRefusesSilently) {
    host.modules["Other.exe"] = host.modules["Morvane.exe"];
    host.modules.erase("Morvane.exe");
    EXPECT_FALSE(initPluginWith(host.lookup()));

    host.modules["MorvaneZR.exe"] = host.modules["Other.exe"];
    host.modules["MorvaneZR.exe"].erase("zrGetVersionOfMorvaneZR");
    EXPECT_FALSE(initPluginWith(host.lookup()));

    EXPECT_EQ(versionCalls, 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(InitPlugin, AHostThatFillsNoVersionCountsAsTooOld) {
    fillsVersion = false;
    EXPECT_FALSE(initPluginWith(host.lookup()));
    EXPECT_EQ(messages, std::vector<std::string>{tooOldMessage});
}

TEST_F(InitPlugin, RefusesAnOldHostWithoutAMessageBoxSilently) {
    reportedVersion[1] = 8;
    exports().erase("zrMessageBox");
    EXPECT_FALSE(initPluginWith(host.lookup()));
    EXPECT_EQ(versionCalls, 1);
}

TEST_F(InitPlugin, RefusesAHostWithOnlyTheVersionEntrySilently) {
    host.modules["Morvane.exe"] = {
        {"zrGetVersionOfMorvaneZR", reinterpret_cast<UntypedHostFunction>(&reportVersion)}};
    EXPECT_FALSE(initPluginWith(host.lookup()));
    EXPECT_EQ(versionCalls, 1);
    EXPECT_TRUE(messages.empty());
}

TEST_F(InitPlugin, RefusesAHostLackingAnEntryARunCallsAndNamesIt) {
    const char* calledEntries[] = {
        "zrShowLogTab", "zrLogText", "zrYesNoMessageBox", "zrGetFloatInput",
        "zrGetOpenFileName", "zrGetCurrentVMR", "zrLinkVTCToCurrentVMR",
        "zrGetHeaderOfVTCOfCurrentVMR", "zrSetHeaderOfVTCOfCurrentVMR", "zrSaveVTCOfCurrentVMR",
        "zrClearProtocol", "zrGetProtocol", "zrGetProtocolCondition", "zrClearDesignMatrix",
        "zrAddPredictor", "zrSetPredictorValuesFromConditionName",
        "zrApplyTwoGammaHRFToPredictorWithName", "zrApplyBoyntonHRFToPredictorWithName",
        "zrGetPredictor", "zrSaveSingleStudyGLMDesignMatrix"};
    for (const char* missing : calledEntries) {
        SetUp();
        exports().erase(missing);
        EXPECT_FALSE(initPluginWith(host.lookup())) << missing;
        EXPECT_EQ(messages, std::vector<std::string>{
                                std::string("Can not execute this plugin - Morvane does not provide "
                                            "the function ") + missing + "."});
    }
}

TEST_F(InitPlugin, NamesEveryMissingEntryInTableOrder) {
    exports().erase("zrSaveSingleStudyGLMDesignMatrix");
    exports().erase("zrLogText");
    EXPECT_FALSE(initPluginWith(host.lookup()));
    EXPECT_EQ(messages, std::vector<std::string>{
                            "Can not execute this plugin - Morvane does not provide the functions "
                            "zrLogText, zrSaveSingleStudyGLMDesignMatrix."});
}

TEST_F(InitPlugin, RefusesAHostWithoutAMessageBoxSilently) {
    exports().erase("zrMessageBox");
    EXPECT_FALSE(initPluginWith(host.lookup()));
    EXPECT_EQ(versionCalls, 1);
}

TEST_F(InitPlugin, AcceptsAHostLackingOnlyEntriesARunNeverCalls) {
    exports().erase("zrPlotBars");
    exports().erase("zrLaunchICADialog");
    exports().erase("zrSetPredictorValuesFromCondition");
    EXPECT_TRUE(initPluginWith(host.lookup()));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(hostFunctions.zrPlotBars, nullptr);
}

TEST_F(InitPlugin, EachCallBindsAgainAndChecksAgain) {
    reportedVersion[0] = 1;
    EXPECT_FALSE(initPluginWith(host.lookup()));
    // The refused host's table stays bound.
    EXPECT_EQ(hostFunctions.zrMessageBox, &showMessage);

    reportedVersion[0] = 2;
    EXPECT_TRUE(initPluginWith(host.lookup()));
    EXPECT_EQ(versionCalls, 2);

    // A later failed binding leaves the table from the accepted host.
    const HostFunctionTable accepted = hostFunctions;
    ScriptedHostLookup nothingLoaded;
    EXPECT_FALSE(initPluginWith(nothingLoaded.lookup()));
    EXPECT_EQ(tableEntries(hostFunctions), tableEntries(accepted));
}

}  // namespace
