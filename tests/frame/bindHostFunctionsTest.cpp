#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "host/bindHostFunctions.h"
#include "tests/frame/scriptedHostLookup.h"

namespace {

bool sameTable(const HostFunctionTable& a, const HostFunctionTable& b) {
    return tableEntries(a) == tableEntries(b);
}

std::size_t nullEntries(const HostFunctionTable& table) {
    std::size_t count = 0;
    for (const auto& entry : tableEntries(table)) count += entry.second == nullptr ? 1 : 0;
    return count;
}

// A table every entry of which holds an address of host number base.
HostFunctionTable boundFrom(std::size_t base) {
    ScriptedHostLookup host;
    host.modules["Morvane.exe"] = allHostExports(base);
    HostFunctionTable table;
    EXPECT_TRUE(bindHostFunctionsWith(table, host.lookup()));
    return table;
}

struct HostModuleCase {
    std::vector<std::string> loaded;
    std::size_t expectedHost;  // index into loaded
    std::vector<std::string> expectedModuleLookups;
};

TEST(BindHostFunctions, FindsTheHostUnderEitherNamePreferringMorvaneExe) {
    const std::vector<HostModuleCase> cases = {
        {{"Morvane.exe"}, 0, {"Morvane.exe"}},
        {{"MorvaneZR.exe"}, 0, {"Morvane.exe", "MorvaneZR.exe"}},
        {{"MorvaneZR.exe", "Morvane.exe"}, 1, {"Morvane.exe"}},
    };
    for (const auto& c : cases) {
        ScriptedHostLookup host;
        for (std::size_t i = 0; i < c.loaded.size(); ++i) host.modules[c.loaded[i]] = allHostExports(i);
        HostFunctionTable table;
        EXPECT_TRUE(bindHostFunctionsWith(table, host.lookup()));
        EXPECT_EQ(host.moduleLookups, c.expectedModuleLookups);
        EXPECT_EQ(reinterpret_cast<UntypedHostFunction>(table.zrGetVersionOfMorvaneZR),
                  fakeHostAddress(c.expectedHost, 0));
        EXPECT_EQ(table.zrLaunchICADialog, fakeHostAddress(c.expectedHost, 183));
    }
}

TEST(BindHostFunctions, BindsEveryEntryToTheExportOfItsOwnName) {
    ScriptedHostLookup host;
    host.modules["MorvaneZR.exe"] = allHostExports(3);
    HostFunctionTable table;
    ASSERT_TRUE(bindHostFunctionsWith(table, host.lookup()));
    const auto entries = tableEntries(table);
    ASSERT_EQ(entries.size(), hostEntryPointCount);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].first, hostEntryPointNames[i]);
        EXPECT_EQ(entries[i].second, fakeHostAddress(3, i)) << entries[i].first;
    }
    // Each name looked up once.
    EXPECT_EQ(host.exportLookups.size(), hostEntryPointCount);
    EXPECT_EQ(std::set<std::string>(host.exportLookups.begin(), host.exportLookups.end()).size(),
              hostEntryPointCount);
}

TEST(BindHostFunctions, WithoutAHostModuleFailsAndLeavesTheTableAsItWas) {
    HostFunctionTable table = boundFrom(1);
    const HostFunctionTable before = table;
    ScriptedHostLookup host;
    host.modules["Morvane"] = allHostExports(2);  // not a host name
    host.modules["morvanezr.exe"] = allHostExports(2);  // the lookup decides about case
    EXPECT_FALSE(bindHostFunctionsWith(table, host.lookup()));
    EXPECT_TRUE(sameTable(table, before));
    EXPECT_EQ(host.moduleLookups, (std::vector<std::string>{"Morvane.exe", "MorvaneZR.exe"}));
    EXPECT_TRUE(host.exportLookups.empty());
}

TEST(BindHostFunctions, WithoutTheVersionEntryFailsWithoutLookingUpAnyOtherName) {
    HostFunctionTable table = boundFrom(1);
    const HostFunctionTable before = table;
    ScriptedHostLookup host;
    host.modules["Morvane.exe"] = allHostExports(2);
    host.modules["Morvane.exe"].erase("zrGetVersionOfMorvaneZR");
    EXPECT_FALSE(bindHostFunctionsWith(table, host.lookup()));
    EXPECT_EQ(host.exportLookups, std::vector<std::string>{"zrGetVersionOfMorvaneZR"});
    EXPECT_TRUE(sameTable(table, before));
}

TEST(BindHostFunctions, AHostWithOnlyTheVersionEntryBindsWith183NullEntries) {
    HostFunctionTable table = boundFrom(1);  // earlier addresses must be overwritten
    ScriptedHostLookup host;
    host.modules["Morvane.exe"] = {{"zrGetVersionOfMorvaneZR", fakeHostAddress(2, 0)}};
    EXPECT_TRUE(bindHostFunctionsWith(table, host.lookup()));
    EXPECT_EQ(reinterpret_cast<UntypedHostFunction>(table.zrGetVersionOfMorvaneZR),
              fakeHostAddress(2, 0));
    EXPECT_EQ(nullEntries(table), 183u);
    EXPECT_EQ(host.exportLookups.size(), hostEntryPointCount);
}

TEST(BindHostFunctions, BindingTwiceGivesTheSameTable) {
    ScriptedHostLookup host;
    host.modules["Morvane.exe"] = allHostExports(4);
    host.modules["Morvane.exe"].erase("zrGetPredictor");
    host.modules["Morvane.exe"].erase("zrPlotBars");
    HostFunctionTable once;
    HostFunctionTable twice = boundFrom(5);
    ASSERT_TRUE(bindHostFunctionsWith(once, host.lookup()));
    ASSERT_TRUE(bindHostFunctionsWith(twice, host.lookup()));
    ASSERT_TRUE(bindHostFunctionsWith(twice, host.lookup()));
    EXPECT_TRUE(sameTable(once, twice));
    EXPECT_EQ(nullEntries(twice), 2u);
    EXPECT_EQ(twice.zrGetPredictor, nullptr);
}

}  // namespace
