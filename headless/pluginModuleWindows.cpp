// Loading the plugin module on Windows.
#include "headless/pluginModule.h"

#include "headless/windowsApi.h"

#include <vector>

namespace morvane {

std::string programFolder() {
    std::vector<char> path(32768);
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) return ".";
    const std::string program(path.data(), length);
    const auto separator = program.find_last_of("\\/");
    return separator == std::string::npos || separator == 0 ? "." : program.substr(0, separator);
}

ParseResult<PluginModule> loadPluginModule(const std::string& path) {
    // A bare name would make the loader search the system's folders; the module is a file.
    const std::string file = path.find_first_of("\\/") == std::string::npos ? ".\\" + path : path;
    HMODULE handle = LoadLibraryA(file.c_str());
    if (handle == nullptr)
        return ParseResult<PluginModule>::failure("cannot load the plugin module " + path + ": " +
                                                  windowsErrorText(GetLastError()));
    PluginModule module;
    module.path = path;
    module.createPlugin = reinterpret_cast<MNZRPluginInterface* (*)()>(
        reinterpret_cast<void*>(GetProcAddress(handle, "createPlugin")));
    module.getPluginName = reinterpret_cast<const char* (*)()>(
        reinterpret_cast<void*>(GetProcAddress(handle, "getPluginName")));
    module.getPluginVersion = reinterpret_cast<const char* (*)()>(
        reinterpret_cast<void*>(GetProcAddress(handle, "getPluginVersion")));
    if (module.createPlugin == nullptr)
        return ParseResult<PluginModule>::failure("the module " + path + " does not export createPlugin");
    return ParseResult<PluginModule>::success(module);
}

}  // namespace morvane
