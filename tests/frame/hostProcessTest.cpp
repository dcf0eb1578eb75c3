// Runs stand-in host programs that load the real plugin module, and checks what they print.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct HostRun {
    int exitCode = -1;
    std::string output;
};

HostRun runHost(const std::string& program, const std::string& arguments) {
    HostRun run;
    const std::string command = "'" + program + "' '" + QUORVEL_MODULE_PATH + "' " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    std::size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, read);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

constexpr const char* tooOldLine =
    "zrMessageBox(Can not execute this plugin - Morvane version 20 or higher required.)";

// Every run also shows the metadata answered the same before createPlugin, after
// initPlugin and after the object is gone.
void expectStableMetadata(const HostRun& run) {
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(contains(run.output, "getPluginName: 16 characters, \"quorvel (v0.8.4)\"")) << run.output;
    EXPECT_TRUE(contains(run.output, "getPluginVersion: 5 characters, \"0.8.4\"")) << run.output;
    EXPECT_TRUE(contains(run.output, "getPluginDescription: 989 characters")) << run.output;
    EXPECT_TRUE(contains(run.output, "getGUIScript: 0 characters")) << run.output;
    EXPECT_TRUE(contains(run.output, "getHelpFile: 0 characters")) << run.output;
    EXPECT_TRUE(contains(run.output, "metadata after initPlugin: unchanged")) << run.output;
    EXPECT_TRUE(contains(run.output, "metadata after the plugin is destroyed: unchanged")) << run.output;
}

TEST(HostProcess, BindsThroughEitherHostName) {
    const std::pair<std::string, std::string> hosts[] = {{MORVANE_HOST, "Morvane"},
                                                         {MORVANEZR_HOST, "MorvaneZR"}};
    for (const auto& [program, label] : hosts) {
        const HostRun run = runHost(program, "2 9 5");
        expectStableMetadata(run);
        EXPECT_TRUE(contains(run.output, label + ": zrGetVersionOfMorvaneZR\n")) << run.output;
        EXPECT_TRUE(contains(run.output, "initPlugin: true")) << run.output;
        EXPECT_FALSE(contains(run.output, "zrMessageBox")) << run.output;
    }
}

TEST(HostProcess, AcceptsHostsFrom295OnAndRefusesOlderOnes) {
    const std::pair<const char*, bool> versions[] = {
        {"2 9 5", true},   {"2 9 4", false},   {"2 10 0", true}, {"3 0 0", true},
        {"20 0 0", true},  {"1 99 99", false}, {"2 8 9", false}, {"2 -1 100", false},
    };
    for (const auto& [version, accepted] : versions) {
        const HostRun run = runHost(MORVANE_HOST, version);
        expectStableMetadata(run);
        EXPECT_TRUE(contains(run.output, accepted ? "initPlugin: true" : "initPlugin: false"))
            << version << "\n" << run.output;
        EXPECT_EQ(contains(run.output, std::string("Morvane: ") + tooOldLine), !accepted)
            << version << "\n" << run.output;
    }
}

TEST(HostProcess, PrefersMorvaneExeWhenBothAreLoaded) {
    // The library "Morvane.exe" reports 2.9.4, the program MorvaneZR 2.9.5.
    const HostRun run = runHost(MORVANEZR_HOST, std::string("2 9 5 --also-load '") +
                                                FRAME_TEST_HOST_LIBRARY + "'");
    expectStableMetadata(run);
    EXPECT_TRUE(contains(run.output, "Morvane.exe library: zrGetVersionOfMorvaneZR")) << run.output;
    EXPECT_TRUE(contains(run.output, std::string("Morvane.exe library: ") + tooOldLine)) << run.output;
    EXPECT_FALSE(contains(run.output, "MorvaneZR: ")) << run.output;
    EXPECT_TRUE(contains(run.output, "initPlugin: false")) << run.output;
}

TEST(HostProcess, RefusesSilentlyWithoutAHostOrItsVersionEntry) {
    for (const char* program : {OTHER_HOST, NO_VERSION_HOST}) {
        const HostRun run = runHost(program, "2 9 5");
        expectStableMetadata(run);
        EXPECT_TRUE(contains(run.output, "initPlugin: false")) << run.output;
        EXPECT_FALSE(contains(run.output, ": zr")) << run.output;
    }
}

TEST(HostProcess, RefusesAHostLackingTheEntriesARunCalls) {
    // Only the version entry: bound, then refused without a word, since no message box exists.
    HostRun run = runHost(VERSION_ONLY_HOST, "2 9 5");
    expectStableMetadata(run);
    EXPECT_TRUE(contains(run.output, "Morvane: zrGetVersionOfMorvaneZR")) << run.output;
    EXPECT_TRUE(contains(run.output, "initPlugin: false")) << run.output;
    EXPECT_FALSE(contains(run.output, "zrMessageBox")) << run.output;

    // Too old as well: still no call through the missing message box.
    run = runHost(VERSION_ONLY_HOST, "2 9 4");
    expectStableMetadata(run);
    EXPECT_TRUE(contains(run.output, "initPlugin: false")) << run.output;

    // With a message box the refusal names what is missing.
    run = runHost(VERSION_AND_MESSAGE_BOX_HOST, "2 9 5");
    expectStableMetadata(run);
    EXPECT_TRUE(contains(run.output,
                         "Morvane: zrMessageBox(Can not execute this plugin - Morvane does not "
                         "provide the functions zrShowLogTab, zrLogText, zrYesNoMessageBox, "))
        << run.output;
    EXPECT_TRUE(contains(run.output, "zrGetPredictor, zrSaveSingleStudyGLMDesignMatrix.)")) << run.output;
    EXPECT_TRUE(contains(run.output, "initPlugin: false")) << run.output;
}

}  // namespace
