#include <gtest/gtest.h>

#include <string>

#include "platform/moduleLookup.h"

#if defined(_WIN32)
#include "platform/windowsApi.h"

// Exported by this test program, so that it can find itself as the plugin finds its host.
extern "C" __declspec(dllexport) int frameTestExportedMarker() { return 7; }
#else
#include <dlfcn.h>

// Exported by this test program, so that it can find itself as the plugin finds its host.
extern "C" __attribute__((visibility("default"))) int frameTestExportedMarker() { return 7; }
#endif

namespace {

TEST(ModuleFileNameMatches, IgnoresCaseAndAcceptsAMissingExeSuffix) {
    struct Case {
        const char* moduleFileName;
        const char* requested;
        bool matches;
    };
    const Case cases[] = {
        {"Morvane.exe", "Morvane.exe", true},   {"Morvane", "Morvane.exe", true},
        {"morvane", "MORVANE.EXE", true},       {"MORVANE.exe", "Morvane.Exe", true},
        {"MorvaneZR", "Morvane.exe", false},    {"Morvane", "MorvaneZR.exe", false},
        {"MorvaneZR", "MorvaneZR.exe", true},   {"Morvane.exe", "Morvane", false},
        {"Morvane.so", "Morvane.exe", false},   {"Morvane.exe.exe", "Morvane.exe", false},
        {"libc.so.6", "LIBC.SO.6", true},       {"", "Morvane.exe", false},
        {"", ".exe", false},                    {"Morvane", "", false},
        {"xMorvane", "Morvane.exe", false},     {"Morvane", "Morvane.ex", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(moduleFileNameMatches(c.moduleFileName, c.requested), c.matches)
            << c.moduleFileName << " / " << c.requested;
}

#if defined(_WIN32)

TEST(ModuleLookup, FindsTheProgramAndLoadedLibrariesByFileName) {
    void* program = findLoadedModule("FRAMETESTS.exe");
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(program, static_cast<void*>(GetModuleHandleA(nullptr)));
    EXPECT_EQ(findModuleExport(program, "frameTestExportedMarker"),
              reinterpret_cast<ModuleExport>(&frameTestExportedMarker));
    EXPECT_EQ(findModuleExport(program, "noSuchExportAnywhere"), nullptr);

    void* kernel = findLoadedModule("kernel32.dll");
    ASSERT_NE(kernel, nullptr);
    EXPECT_NE(findModuleExport(kernel, "GetModuleHandleA"), nullptr);
    EXPECT_EQ(findModuleExport(kernel, "frameTestExportedMarker"), nullptr);

    EXPECT_EQ(findLoadedModule("Morvane.exe"), nullptr);
    EXPECT_EQ(findLoadedModule("MorvaneZR.exe"), nullptr);
    // Not the program, which is what the system answers for no name.
    EXPECT_EQ(findLoadedModule(nullptr), nullptr);
    EXPECT_EQ(findModuleExport(nullptr, "GetModuleHandleA"), nullptr);
    EXPECT_EQ(findModuleExport(kernel, nullptr), nullptr);
}

// FRAME_TEST_HOST_LIBRARY is a host stand-in built as a DLL named "Morvane.exe".
TEST(ModuleLookup, LoadsNothingAndKeepsNoReference) {
    EXPECT_EQ(findLoadedModule("Morvane.exe"), nullptr);
    EXPECT_EQ(GetModuleHandleA("Morvane.exe"), nullptr) << "the look-up must not load the library";

    HMODULE library = LoadLibraryA(FRAME_TEST_HOST_LIBRARY);
    ASSERT_NE(library, nullptr) << GetLastError();
    void* found = findLoadedModule("morvane.EXE");
    EXPECT_EQ(found, static_cast<void*>(library));
    EXPECT_EQ(findModuleExport(found, "zrGetVersionOfMorvaneZR"),
              reinterpret_cast<ModuleExport>(GetProcAddress(library, "zrGetVersionOfMorvaneZR")));
    EXPECT_NE(findModuleExport(found, "zrGetVersionOfMorvaneZR"), nullptr);
    EXPECT_EQ(findModuleExport(found, "GetModuleHandleA"), nullptr);
    ASSERT_TRUE(FreeLibrary(library));

    // Had the look-up kept a reference, the library would still be loaded.
    EXPECT_EQ(GetModuleHandleA("Morvane.exe"), nullptr);
    EXPECT_EQ(findLoadedModule("Morvane.exe"), nullptr);
}

#else

TEST(ModuleLookup, FindsTheMainProgramAndOnlyItsOwnExports) {
    void* program = findLoadedModule("FRAMETESTS.exe");
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(findLoadedModule("frameTests"), program);
    EXPECT_EQ(findModuleExport(program, "frameTestExportedMarker"),
              reinterpret_cast<ModuleExport>(&frameTestExportedMarker));
    // Defined by the C library, which the main program's loader scope also reaches (dlsym:
    // clang's AddressSanitizer puts a dlopen of its own into the program).
    EXPECT_EQ(findModuleExport(program, "dlsym"), nullptr);
    EXPECT_EQ(findModuleExport(program, "noSuchExportAnywhere"), nullptr);
}

TEST(ModuleLookup, FindsALoadedLibraryButNothingElse) {
    void* c = findLoadedModule("libc.so.6");
    ASSERT_NE(c, nullptr);
    EXPECT_NE(findModuleExport(c, "strlen"), nullptr);
    EXPECT_EQ(findModuleExport(c, "frameTestExportedMarker"), nullptr);
    EXPECT_EQ(findLoadedModule("libquorvelNotThere.so"), nullptr);
    EXPECT_EQ(findModuleExport(nullptr, "strlen"), nullptr);
    EXPECT_EQ(findLoadedModule(nullptr), nullptr);
}

// FRAME_TEST_HOST_LIBRARY is a host stand-in built as a shared library named "Morvane.exe".
TEST(ModuleLookup, LoadsNothingAndKeepsNoReference) {
    EXPECT_EQ(findLoadedModule("Morvane.exe"), nullptr);
    EXPECT_EQ(dlopen(FRAME_TEST_HOST_LIBRARY, RTLD_LAZY | RTLD_NOLOAD), nullptr)
        << "the look-up must not load the library";

    void* library = dlopen(FRAME_TEST_HOST_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    void* found = findLoadedModule("morvane.EXE");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(findModuleExport(found, "zrGetVersionOfMorvaneZR"),
              reinterpret_cast<ModuleExport>(dlsym(library, "zrGetVersionOfMorvaneZR")));
    EXPECT_EQ(findModuleExport(found, "strlen"), nullptr);
    ASSERT_EQ(dlclose(library), 0);

    // Had the look-up kept a reference, the library would still be loaded.
    void* left = dlopen(FRAME_TEST_HOST_LIBRARY, RTLD_LAZY | RTLD_NOLOAD);
    EXPECT_EQ(left, nullptr);
    if (left != nullptr) dlclose(left);
    EXPECT_EQ(findLoadedModule("Morvane.exe"), nullptr);
}

#endif

}  // namespace
