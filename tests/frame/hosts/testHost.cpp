// A stand-in for the host application: exports host entry points from the program (or,
// built as a library, from itself), loads the real plugin module the way the host does and
// prints every host call and every answer of the plugin, one line each.
//
// Build switches:
//   TEST_HOST_LABEL          prefix of every line this host prints
//   TEST_HOST_VERSION_ENTRY  exports zrGetVersionOfMorvaneZR
//   TEST_HOST_MESSAGE_BOX    exports zrMessageBox
//   TEST_HOST_ALL_ENTRIES    exports every other entry point as well
//   TEST_HOST_LIBRARY        no main program; reports version 2.9.4
//   TEST_HOST_MICROSOFT_TABLE  drives the plugin through the table a host built with
//                              Microsoft's compiler sees (64-bit Windows only): initPlugin,
//                              execute, then the deleting destructor
#include <cstdio>
#include <cstdlib>
#include <string>
#include <type_traits>

#include "host/hostEntryPointStubs.h"
#include "host/hostFunctionTable.h"

namespace {

#if defined(TEST_HOST_LIBRARY)
int hostVersion[3] = {2, 9, 4};
#else
int hostVersion[3] = {2, 9, 5};
#endif

void trace(const char* call, const char* argument = nullptr) {
    if (argument != nullptr)
        std::printf("%s: %s(%s)\n", TEST_HOST_LABEL, call, argument);
    else
        std::printf("%s: %s\n", TEST_HOST_LABEL, call);
    std::fflush(stdout);
}

}  // namespace

#if defined(TEST_HOST_VERSION_ENTRY)
extern "C" QUORVEL_HOST_EXPORT void zrGetVersionOfMorvaneZR(int* major, int* minor, int* patch) {
    trace("zrGetVersionOfMorvaneZR");
    *major = hostVersion[0];
    *minor = hostVersion[1];
    *patch = hostVersion[2];
}
#endif

#if defined(TEST_HOST_MESSAGE_BOX)
extern "C" QUORVEL_HOST_EXPORT void zrMessageBox(const char* text) { trace("zrMessageBox", text); }
#endif

#if defined(TEST_HOST_ALL_ENTRIES)
// The other entries a run calls; the plugin is never run here, so they only report a call.
extern "C" {
QUORVEL_HOST_EXPORT void zrShowLogTab() { trace("zrShowLogTab"); }
QUORVEL_HOST_EXPORT void zrLogText(const char* text) { trace("zrLogText", text); }
QUORVEL_HOST_EXPORT int zrYesNoMessageBox(const char*) { trace("zrYesNoMessageBox"); return 0; }
QUORVEL_HOST_EXPORT float zrGetFloatInput(const char*, float, float, float) {
    trace("zrGetFloatInput");
    return -101.0f;
}
QUORVEL_HOST_EXPORT int zrGetOpenFileName(const char*, const char*, const char*, char*) {
    trace("zrGetOpenFileName");
    return 0;
}
QUORVEL_HOST_EXPORT void* zrGetCurrentVMR(int*, int*, int*) { trace("zrGetCurrentVMR"); return nullptr; }
QUORVEL_HOST_EXPORT int zrLinkVTCToCurrentVMR(const char*, int) { trace("zrLinkVTCToCurrentVMR"); return 0; }
QUORVEL_HOST_EXPORT int zrGetHeaderOfVTCOfCurrentVMR(VtcHeader*) { trace("zrGetHeaderOfVTCOfCurrentVMR"); return 0; }
QUORVEL_HOST_EXPORT int zrSetHeaderOfVTCOfCurrentVMR(VtcHeader*) { trace("zrSetHeaderOfVTCOfCurrentVMR"); return 0; }
QUORVEL_HOST_EXPORT int zrSaveVTCOfCurrentVMR(const char*) { trace("zrSaveVTCOfCurrentVMR"); return 0; }
QUORVEL_HOST_EXPORT void zrClearProtocol(bool) { trace("zrClearProtocol"); }
QUORVEL_HOST_EXPORT int zrGetProtocol(ProtocolRecord*) { trace("zrGetProtocol"); return 0; }
QUORVEL_HOST_EXPORT int zrGetProtocolCondition(int, ProtocolConditionRecord*) { trace("zrGetProtocolCondition"); return 0; }
QUORVEL_HOST_EXPORT int zrClearDesignMatrix() { trace("zrClearDesignMatrix"); return 0; }
QUORVEL_HOST_EXPORT int zrAddPredictor(const char*) { trace("zrAddPredictor"); return 0; }
QUORVEL_HOST_EXPORT int zrSetPredictorValuesFromConditionName(const char*, const char*, float) {
    trace("zrSetPredictorValuesFromConditionName");
    return 0;
}
QUORVEL_HOST_EXPORT int zrApplyTwoGammaHRFToPredictorWithName(const char*) {
    trace("zrApplyTwoGammaHRFToPredictorWithName");
    return 0;
}
QUORVEL_HOST_EXPORT int zrApplyBoyntonHRFToPredictorWithName(const char*) {
    trace("zrApplyBoyntonHRFToPredictorWithName");
    return 0;
}
QUORVEL_HOST_EXPORT float* zrGetPredictor(int) { trace("zrGetPredictor"); return nullptr; }
QUORVEL_HOST_EXPORT int zrSaveSingleStudyGLMDesignMatrix(const char*) {
    trace("zrSaveSingleStudyGLMDesignMatrix");
    return 0;
}
}

QUORVEL_DEFINE_UNTYPED_HOST_STUBS()
#endif

#if defined(TEST_HOST_VERSION_ENTRY) && defined(TEST_HOST_MESSAGE_BOX) && defined(TEST_HOST_ALL_ENTRIES)
// Each entry a run calls is exported with the signature the plugin calls it with.
#define TEST_HOST_CHECK_TYPED(name, result, parameters) \
    static_assert(std::is_same_v<decltype(&name), result(*) parameters>, #name);
#define TEST_HOST_CHECK_UNTYPED(name)
QUORVEL_HOST_ENTRY_POINTS(TEST_HOST_CHECK_TYPED, TEST_HOST_CHECK_UNTYPED)
#endif

#if !defined(TEST_HOST_LIBRARY)

#if defined(_WIN32)
#include "platform/windowsApi.h"
#else
#include <dlfcn.h>
#endif

#include "plugin/mnzrPluginInterface.h"

namespace {

using TextFunction = const char* (*)();
using CreateFunction = MNZRPluginInterface* (*)();

constexpr const char* textFunctionNames[] = {"getAuthor", "getGUIScript", "getHelpFile",
                                             "getPluginDescription", "getPluginName",
                                             "getPluginVersion"};
constexpr int textFunctionCount = 6;

struct Metadata {
    const char* pointers[textFunctionCount];
    std::string texts[textFunctionCount];
};

Metadata readMetadata(TextFunction const (&functions)[textFunctionCount]) {
    Metadata metadata;
    for (int i = 0; i < textFunctionCount; ++i) {
        metadata.pointers[i] = functions[i]();
        metadata.texts[i] = metadata.pointers[i] != nullptr ? metadata.pointers[i] : "(null)";
    }
    return metadata;
}

bool sameMetadata(const Metadata& a, const Metadata& b) {
    for (int i = 0; i < textFunctionCount; ++i)
        if (a.pointers[i] != b.pointers[i] || a.texts[i] != b.texts[i]) return false;
    return true;
}

#if defined(_WIN32)
void* loadOrExit(const char* path) {
    HMODULE module = LoadLibraryA(path);
    if (module == nullptr) {
        std::printf("cannot load %s: error %lu\n", path, static_cast<unsigned long>(GetLastError()));
        std::exit(2);
    }
    return module;
}

void* moduleExport(void* module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void unload(void* module) { FreeLibrary(static_cast<HMODULE>(module)); }
#else
void* loadOrExit(const char* path) {
    void* module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        std::printf("cannot load %s: %s\n", path, dlerror());
        std::exit(2);
    }
    return module;
}

void* moduleExport(void* module, const char* name) { return dlsym(module, name); }

void unload(void* module) { dlclose(module); }
#endif

#if defined(TEST_HOST_MICROSOFT_TABLE)
// The plugin's table as a host built with Microsoft's compiler sees it: three slots, the
// first a deleting destructor that takes flags (bit 0: free the memory) and returns the
// object. On 64-bit Windows a member function gets the object as its first argument, so
// plain function pointers call the slots as that host does.
struct MicrosoftPluginTable {
    void* (*deletingDestructor)(void* self, unsigned int flags);
    bool (*execute)(void* self);
    bool (*initPlugin)(void* self);
};

const MicrosoftPluginTable& tableOf(MNZRPluginInterface* plugin) {
    return **reinterpret_cast<MicrosoftPluginTable* const*>(plugin);
}

bool initPluginOf(MNZRPluginInterface* plugin) { return tableOf(plugin).initPlugin(plugin); }

bool executeOf(MNZRPluginInterface* plugin) { return tableOf(plugin).execute(plugin); }

void destroy(MNZRPluginInterface* plugin) {
    void* destroyed = tableOf(plugin).deletingDestructor(plugin, 1);
    std::printf("deleting destructor: %s\n",
                destroyed == plugin ? "returned the object" : "returned something else");
}
#else
bool initPluginOf(MNZRPluginInterface* plugin) { return plugin->initPlugin(); }

void destroy(MNZRPluginInterface* plugin) {
#if defined(__MINGW32__)
    plugin->deletingDestructor(1);
#else
    delete plugin;
#endif
}
#endif

}  // namespace

// Usage: <program> <plugin module> [major minor patch] [--also-load <library>]...
int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: %s <plugin module> [major minor patch] [--also-load <library>]\n", argv[0]);
        return 2;
    }
    int next = 2;
    if (argc >= 5 && std::string(argv[2]) != "--also-load") {
        for (int i = 0; i < 3; ++i) hostVersion[i] = std::atoi(argv[2 + i]);
        next = 5;
    }
    for (; next + 1 < argc; next += 2)
        if (std::string(argv[next]) == "--also-load") loadOrExit(argv[next + 1]);

    void* module = loadOrExit(argv[1]);
    TextFunction textFunctions[textFunctionCount];
    for (int i = 0; i < textFunctionCount; ++i) {
        textFunctions[i] = reinterpret_cast<TextFunction>(moduleExport(module, textFunctionNames[i]));
        if (textFunctions[i] == nullptr) {
            std::printf("the module does not export %s\n", textFunctionNames[i]);
            return 2;
        }
    }
    auto createPlugin = reinterpret_cast<CreateFunction>(moduleExport(module, "createPlugin"));
    if (createPlugin == nullptr) {
        std::printf("the module does not export createPlugin\n");
        return 2;
    }

    const Metadata beforeCreate = readMetadata(textFunctions);
    for (int i = 0; i < textFunctionCount; ++i)
        std::printf("%s: %zu characters, \"%s\"\n", textFunctionNames[i], beforeCreate.texts[i].size(),
                    i == 3 ? "..." : beforeCreate.texts[i].c_str());

    MNZRPluginInterface* plugin = createPlugin();
    if (plugin == nullptr) {
        std::printf("createPlugin returned null\n");
        return 2;
    }
    const bool accepted = initPluginOf(plugin);
    std::printf("initPlugin: %s\n", accepted ? "true" : "false");
    std::printf("metadata after initPlugin: %s\n",
                sameMetadata(beforeCreate, readMetadata(textFunctions)) ? "unchanged" : "changed");
#if defined(TEST_HOST_MICROSOFT_TABLE)
    // Only a host that accepted the plugin may run it.
    if (accepted) std::printf("execute: %s\n", executeOf(plugin) ? "true" : "false");
#endif
    destroy(plugin);
    std::printf("metadata after the plugin is destroyed: %s\n",
                sameMetadata(beforeCreate, readMetadata(textFunctions)) ? "unchanged" : "changed");
    unload(module);
    return 0;
}

#endif
