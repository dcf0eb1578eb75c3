#include "bids/bidsNames.h"

#include "formats/textFormat.h"

namespace morvane {
namespace {

// The name without folder and extensions (".tsv", ".tsv.gz").
std::string_view baseName(const std::string& path, std::string& storage) {
    storage = lastComponent(path);
    std::string_view name(storage);
    return name.substr(0, name.find('.'));
}

}  // namespace

std::optional<std::string> bidsEntity(const std::string& path, std::string_view key) {
    std::string storage;
    std::string_view rest = baseName(path, storage);
    while (!rest.empty()) {
        const auto underscore = rest.find('_');
        const std::string_view part = rest.substr(0, underscore);
        if (part.size() > key.size() + 1 && part.substr(0, key.size()) == key && part[key.size()] == '-')
            return std::string(part.substr(key.size() + 1));
        if (underscore == std::string_view::npos) break;
        rest.remove_prefix(underscore + 1);
    }
    return std::nullopt;
}

std::string bidsStem(const std::string& path) {
    std::string storage;
    const std::string_view name = baseName(path, storage);
    const auto underscore = name.rfind('_');
    // A name of entities alone ("sub-01_task-x") or without underscores keeps all of it.
    if (underscore == std::string_view::npos || name.substr(underscore + 1).find('-') != std::string_view::npos)
        return std::string(name);
    return std::string(name.substr(0, underscore));
}

}  // namespace morvane
