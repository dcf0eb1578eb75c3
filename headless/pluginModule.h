// Loading the plugin module and reaching its plugin object.
#pragma once

#include <memory>
#include <string>

#include "headless/parseResult.h"

// The plugin's interface as the host programs against it; the module's class of the same
// name fixes the slots: destructor, execute, initPlugin.
class MNZRPluginInterface {
public:
    virtual ~MNZRPluginInterface() = default;
    virtual bool execute() = 0;
    virtual bool initPlugin() = 0;
};

namespace morvane {

struct PluginModule {
    std::string path;
    MNZRPluginInterface* (*createPlugin)() = nullptr;
    const char* (*getPluginName)() = nullptr;
};

// The module's file name beside the program.
inline constexpr const char* pluginFileName = "quorvel.so";

// The folder of the running program.
std::string programFolder();

// Loads the module and finds its factory. The module stays loaded until the process ends,
// so that nothing it handed out can outlive it.
ParseResult<PluginModule> loadPluginModule(const std::string& path);

}  // namespace morvane
