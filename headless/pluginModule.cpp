#include "headless/pluginModule.h"

#include <dlfcn.h>
#include <unistd.h>

#include <vector>

#include "formats/textFormat.h"

namespace morvane {

std::string programFolder() {
    std::vector<char> path(4096);
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0) return ".";
    const std::string program(path.data(), static_cast<std::size_t>(length));
    const std::string folder = folderOf(program);
    return folder.empty() ? "." : folder;
}

ParseResult<PluginModule> loadPluginModule(const std::string& path) {
    // A bare name would make the loader search the library path; the module is a file.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = ::dlerror();
        return ParseResult<PluginModule>::failure("cannot load the plugin module " + path + ": " +
                                                  (why != nullptr ? why : "unknown reason"));
    }
    PluginModule module;
    module.path = path;
    module.createPlugin = reinterpret_cast<MNZRPluginInterface* (*)()>(::dlsym(handle, "createPlugin"));
    module.getPluginName = reinterpret_cast<const char* (*)()>(::dlsym(handle, "getPluginName"));
    module.getPluginVersion = reinterpret_cast<const char* (*)()>(::dlsym(handle, "getPluginVersion"));
    if (module.createPlugin == nullptr)
        return ParseResult<PluginModule>::failure("the module " + path + " does not export createPlugin");
    return ParseResult<PluginModule>::success(module);
}

}  // namespace morvane
