// The Windows module lookup rebuilt on the dynamic loader: the "module handle" is the
// loader's link map of an object already in the process. Every dlopen here only re-finds
// an object that is loaded (the main program, or RTLD_NOLOAD) and is closed again at once,
// so nothing is loaded and no reference is kept.
#include "platform/moduleLookup.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

namespace {

std::string mainProgramPath() {
    std::string path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length > 0 && static_cast<std::size_t>(length) < path.size()) {
        path.resize(static_cast<std::size_t>(length));
        return path;
    }
    return program_invocation_name != nullptr ? program_invocation_name : "";
}

std::string_view fileNameOf(std::string_view path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

struct ModuleSearch {
    std::string_view requestedName;
    bool visitedMainProgram = false;
    bool found = false;
    bool foundMainProgram = false;
    std::string foundPath;
};

int visitLoadedObject(dl_phdr_info* info, std::size_t, void* data) {
    auto& search = *static_cast<ModuleSearch*>(data);
    // The loader reports the main program first, without a name.
    const bool isMainProgram = !search.visitedMainProgram;
    search.visitedMainProgram = true;
    const std::string path = isMainProgram ? mainProgramPath()
                                           : std::string(info->dlpi_name ? info->dlpi_name : "");
    if (path.empty() || !moduleFileNameMatches(fileNameOf(path), search.requestedName)) return 0;
    search.found = true;
    search.foundMainProgram = isMainProgram;
    search.foundPath = isMainProgram ? std::string() : path;
    return 1;
}

// A fresh loader handle of a loaded object (closed by the caller), or null when it is
// no longer loaded.
void* reopenLoaded(bool mainProgram, const char* path) {
    return mainProgram ? dlopen(nullptr, RTLD_LAZY) : dlopen(path, RTLD_LAZY | RTLD_NOLOAD);
}

link_map* linkMapOf(void* handle) {
    link_map* map = nullptr;
    if (handle == nullptr || dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0) return nullptr;
    return map;
}

link_map* mainProgramLinkMap() {
    void* handle = dlopen(nullptr, RTLD_LAZY);
    link_map* map = linkMapOf(handle);
    if (handle != nullptr) dlclose(handle);
    return map;
}

}  // namespace

void* findLoadedModule(const char* fileName) {
    if (fileName == nullptr) return nullptr;
    ModuleSearch search;
    search.requestedName = fileName;
    dl_iterate_phdr(visitLoadedObject, &search);
    if (!search.found) return nullptr;
    void* handle = reopenLoaded(search.foundMainProgram, search.foundPath.c_str());
    link_map* map = linkMapOf(handle);
    if (handle != nullptr) dlclose(handle);
    return map;
}

ModuleExport findModuleExport(void* module, const char* name) {
    if (module == nullptr || name == nullptr) return nullptr;
    auto* map = static_cast<link_map*>(module);
    const bool mainProgram = map == mainProgramLinkMap();
    void* handle = reopenLoaded(mainProgram, map->l_name);
    if (handle == nullptr) return nullptr;
    void* address = dlsym(handle, name);
    // dlsym also searches the libraries the module uses (for the main program: every global
    // library); only an export of the module itself counts.
    Dl_info symbolInfo{};
    link_map* owner = nullptr;
    if (address != nullptr &&
        (dladdr1(address, &symbolInfo, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0 ||
         owner != map)) {
        address = nullptr;
    }
    dlclose(handle);
    return reinterpret_cast<ModuleExport>(address);
}
