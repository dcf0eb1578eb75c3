// Loading the plugin module and reaching its plugin object.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "formats/parseResult.h"

// The plugin's interface as the host programs against it; the module's class of the same
// name fixes the slots: destructor, execute, initPlugin.
class MNZRPluginInterface {
public:
#if defined(__MINGW32__)
    // The module is laid out for hosts built with Microsoft's compiler: slot 0 is a deleting
    // destructor that takes flags (bit 0: free the memory), where GCC would give a virtual
    // destructor two slots.
    virtual void* deletingDestructor(unsigned int flags) = 0;
#else
    virtual ~MNZRPluginInterface() = default;
#endif
    virtual bool execute() = 0;
    virtual bool initPlugin() = 0;
#if defined(__MINGW32__)
protected:
    ~MNZRPluginInterface() = default;
#endif
};

namespace morvane {

struct PluginModule {
    std::string path;
    MNZRPluginInterface* (*createPlugin)() = nullptr;
    const char* (*getPluginName)() = nullptr;
    const char* (*getPluginVersion)() = nullptr;
};

// Destroys a plugin object through its interface, so that the module frees it.
struct PluginObjectDeleter {
    void operator()(MNZRPluginInterface* plugin) const {
#if defined(__MINGW32__)
        plugin->deletingDestructor(1);
#else
        delete plugin;
#endif
    }
};
using PluginObject = std::unique_ptr<MNZRPluginInterface, PluginObjectDeleter>;

// The module's file name beside the program.
#if defined(_WIN32)
inline constexpr const char* pluginFileName = "quorvel.dll";
#else
inline constexpr const char* pluginFileName = "quorvel.so";
#endif

// The folder of the running program.
std::string programFolder();

// Loads the module and finds its factory. The module stays loaded until the process ends,
// so that nothing it handed out can outlive it.
ParseResult<PluginModule> loadPluginModule(const std::string& path);

// Loads the module given with --plugin, or without it the default one: in an installation
// the one in the module folder relative to the program's (lib/quorvel beside bin on Linux),
// otherwise the one beside the program; a failure names the places looked at.
ParseResult<PluginModule> loadChosenPluginModule(const std::optional<std::string>& given);

}  // namespace morvane
