// Which module morvane loads: the one named with --plugin, or the one an installation or a
// build tree keeps where morvane finds it from its own folder.
#include <filesystem>
#include <system_error>
#include <vector>

#include "formats/textFormat.h"
#include "headless/pluginModule.h"

#ifndef MORVANE_PLUGIN_FOLDER_FROM_PROGRAM
#error "MORVANE_PLUGIN_FOLDER_FROM_PROGRAM (the installed module's folder relative to morvane's) comes from CMake"
#endif

namespace morvane {
namespace {

bool isFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

ParseResult<std::string> defaultPluginPath() {
    const std::string folder = programFolder();
    // An installation keeps the module in its own folder, found from the program's wherever
    // the tree was installed or copied to; a build tree has it beside the program.
    std::vector<std::string> candidates;
    if (std::string(MORVANE_PLUGIN_FOLDER_FROM_PROGRAM) != ".") {
        const std::filesystem::path installed =
            std::filesystem::path(folder) / MORVANE_PLUGIN_FOLDER_FROM_PROGRAM / pluginFileName;
        candidates.push_back(installed.lexically_normal().string());
    }
    candidates.push_back(joinPath(folder, pluginFileName));
    for (const std::string& candidate : candidates) {
        if (isFile(candidate)) return ParseResult<std::string>::success(candidate);
    }
    std::string places;
    for (const std::string& candidate : candidates) places += (places.empty() ? "" : " or ") + candidate;
    return ParseResult<std::string>::failure("no plugin module at " + places + "; name one with --plugin");
}

}  // namespace

ParseResult<PluginModule> loadChosenPluginModule(const std::optional<std::string>& given) {
    if (given) return loadPluginModule(*given);
    const ParseResult<std::string> path = defaultPluginPath();
    if (!path) return ParseResult<PluginModule>::failure(path.error);
    return loadPluginModule(*path.value);
}

}  // namespace morvane
