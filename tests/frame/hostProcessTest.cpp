// Runs stand-in host programs that load the real plugin module, and checks what they print.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#if defined(_WIN32)
#include "platform/windowsApi.h"
#else
#include <sys/wait.h>
#endif

namespace {

struct HostRun {
    int exitCode = -1;
    std::string output;
};

#if defined(_WIN32)
// A whole argument for the program's command line, as the C runtime splits it again.
std::string quoted(const std::string& argument) {
    std::string text = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        text.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        text += c;
    }
    text.append(2 * backslashes, '\\');
    return text + "\"";
}

// Standard output only: under wine, standard error also carries wine's own messages.
HostRun runHost(const std::string& program, const std::vector<std::string>& arguments) {
    HostRun run;
    std::string commandLine = quoted(program) + " " + quoted(QUORVEL_MODULE_PATH);
    for (const std::string& argument : arguments) commandLine += " " + quoted(argument);

    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return run;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE nothing = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inheritable, OPEN_EXISTING, 0, nullptr);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = writeEnd;
    startup.hStdError = nothing;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (nothing != INVALID_HANDLE_VALUE) CloseHandle(nothing);
    if (started) {
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0)
            run.output.append(buffer, read);
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD exitCode = 0;
        if (GetExitCodeProcess(process.hProcess, &exitCode)) run.exitCode = static_cast<int>(exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        run.output = "cannot start " + program;
    }
    CloseHandle(readEnd);
    // The programs write text mode: one line end is "\r\n" here.
    std::string lines;
    for (std::size_t i = 0; i < run.output.size(); ++i)
        if (!(run.output[i] == '\r' && i + 1 < run.output.size() && run.output[i + 1] == '\n'))
            lines += run.output[i];
    run.output = lines;
    return run;
}
#else
std::string quoted(const std::string& argument) {
    std::string text = "'";
    for (char c : argument) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
}

HostRun runHost(const std::string& program, const std::vector<std::string>& arguments) {
    HostRun run;
    std::string command = quoted(program) + " " + quoted(QUORVEL_MODULE_PATH);
    for (const std::string& argument : arguments) command += " " + quoted(argument);
    command += " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    std::size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, read);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
#endif

// "2 9 5" -> {"2", "9", "5"}
std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find(' ', start);
        const std::size_t stop = end == std::string::npos ? text.size() : end;
        if (stop > start) result.push_back(text.substr(start, stop - start));
        start = stop + 1;
    }
    return result;
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
        const HostRun run = runHost(program, words("2 9 5"));
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
        const HostRun run = runHost(MORVANE_HOST, words(version));
        expectStableMetadata(run);
        EXPECT_TRUE(contains(run.output, accepted ? "initPlugin: true" : "initPlugin: false"))
            << version << "\n" << run.output;
        EXPECT_EQ(contains(run.output, std::string("Morvane: ") + tooOldLine), !accepted)
            << version << "\n" << run.output;
    }
}

TEST(HostProcess, PrefersMorvaneExeWhenBothAreLoaded) {
    // The library "Morvane.exe" reports 2.9.4, the program MorvaneZR 2.9.5.
    const HostRun run = runHost(MORVANEZR_HOST, {"2", "9", "5", "--also-load", FRAME_TEST_HOST_LIBRARY});
    expectStableMetadata(run);
    EXPECT_TRUE(contains(run.output, "Morvane.exe library: zrGetVersionOfMorvaneZR")) << run.output;
    EXPECT_TRUE(contains(run.output, std::string("Morvane.exe library: ") + tooOldLine)) << run.output;
    EXPECT_FALSE(contains(run.output, "MorvaneZR: ")) << run.output;
    EXPECT_TRUE(contains(run.output, "initPlugin: false")) << run.output;
}

TEST(HostProcess, RefusesSilentlyWithoutAHostOrItsVersionEntry) {
    for (const char* program : {OTHER_HOST, NO_VERSION_HOST}) {
        const HostRun run = runHost(program, words("2 9 5"));
        expectStableMetadata(run);
        EXPECT_TRUE(contains(run.output, "initPlugin: false")) << run.output;
        EXPECT_FALSE(contains(run.output, ": zr")) << run.output;
    }
}

TEST(HostProcess, RefusesAHostLackingTheEntriesARunCalls) {
    // Only the version entry: bound, then refused without a word, since no message box exists.
    HostRun run = runHost(VERSION_ONLY_HOST, words("2 9 5"));
    expectStableMetadata(run);
    EXPECT_TRUE(contains(run.output, "Morvane: zrGetVersionOfMorvaneZR")) << run.output;
    EXPECT_TRUE(contains(run.output, "initPlugin: false")) << run.output;
    EXPECT_FALSE(contains(run.output, "zrMessageBox")) << run.output;

    // Too old as well: still no call through the missing message box.
    run = runHost(VERSION_ONLY_HOST, words("2 9 4"));
    expectStableMetadata(run);
    EXPECT_TRUE(contains(run.output, "initPlugin: false")) << run.output;

    // With a message box the refusal names what is missing.
    run = runHost(VERSION_AND_MESSAGE_BOX_HOST, words("2 9 5"));
    expectStableMetadata(run);
    EXPECT_TRUE(contains(run.output,
                         "Morvane: zrMessageBox(Can not execute this plugin - Morvane does not "
                         "provide the functions zrShowLogTab, zrLogText, zrYesNoMessageBox, "))
        << run.output;
    EXPECT_TRUE(contains(run.output, "zrGetPredictor, zrSaveSingleStudyGLMDesignMatrix.)")) << run.output;
    EXPECT_TRUE(contains(run.output, "initPlugin: false")) << run.output;
}

#if defined(MICROSOFT_TABLE_HOST)
// A host built with Microsoft's compiler calls slot 2 for initPlugin, slot 1 for execute and
// slot 0, with flag 1, to delete the object. Were the table laid out as GCC lays out a
// virtual destructor, "initPlugin" would run a batch against an unbound host and crash.
TEST(HostProcess, HostBuiltWithMicrosoftsCompilerFindsEverySlot) {
    HostRun run = runHost(MICROSOFT_TABLE_HOST, words("2 9 5"));
    expectStableMetadata(run);
    EXPECT_TRUE(contains(run.output,
                         "Morvane: zrGetVersionOfMorvaneZR\n"
                         "initPlugin: true\n"
                         "metadata after initPlugin: unchanged\n"
                         "Morvane: zrShowLogTab\n"
                         "Morvane: zrLogText(\nquorvel (v0.8.4)> Started...)\n"
                         "Morvane: zrGetCurrentVMR\n"
                         "Morvane: zrMessageBox(This plugin requires that a VMR document is "
                         "available and selected in Morvane.)\n"
                         "Morvane: zrLogText(No VMR present, action cancelled.)\n"
                         "execute: false\n"
                         "deleting destructor: returned the object\n"))
        << run.output;

    // Refused: the host never runs it, and deletes it all the same.
    run = runHost(MICROSOFT_TABLE_HOST, words("2 9 4"));
    expectStableMetadata(run);
    EXPECT_TRUE(contains(run.output, "initPlugin: false\n")) << run.output;
    EXPECT_TRUE(contains(run.output, std::string("Morvane: ") + tooOldLine)) << run.output;
    EXPECT_FALSE(contains(run.output, "execute:")) << run.output;
    EXPECT_TRUE(contains(run.output, "deleting destructor: returned the object\n")) << run.output;
}
#endif

}  // namespace
