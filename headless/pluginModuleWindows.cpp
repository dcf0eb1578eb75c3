// Loading the plugin module on Windows.
#include "headless/pluginModule.h"

#include "headless/windowsApi.h"

#include <vector>

namespace morvane {

namespace {

std::string systemMessage(DWORD error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length > 0 && text != nullptr ? std::string(text, length) : "error " + std::to_string(error);
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message;
}

}  // namespace

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
                                                  systemMessage(GetLastError()));
    PluginModule module;
    module.path = path;
    module.createPlugin = reinterpret_cast<MNZRPluginInterface* (*)()>(
        reinterpret_cast<void*>(GetProcAddress(handle, "createPlugin")));
    module.getPluginName = reinterpret_cast<const char* (*)()>(
        reinterpret_cast<void*>(GetProcAddress(handle, "getPluginName")));
    if (module.createPlugin == nullptr)
        return ParseResult<PluginModule>::failure("the module " + path + " does not export createPlugin");
    return ParseResult<PluginModule>::success(module);
}

}  // namespace morvane
