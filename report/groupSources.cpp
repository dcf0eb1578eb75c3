#include "report/groupSources.h"

#include <filesystem>
#include <system_error>

#include "formats/textFormat.h"
#include "headless/runCheck.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;

// The plugin's reading of a path: the last component after the last '/' when the path holds
// one, else after the last '\', optionally without its extension (a leading '.' is no
// extension).
std::string pluginFileName(const std::string& path, bool withoutExtension) {
    const char separator = path.find('/') != std::string::npos ? '/' : '\\';
    const auto cut = path.find_last_of(separator);
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    if (withoutExtension) {
        const auto dot = name.rfind('.');
        if (dot != std::string::npos && dot > 0) name.resize(dot);
    }
    return name;
}

// Everything before the last '.' anywhere in the path; "" without one, "''" for no path.
std::string pluginStem(const std::string& path) {
    if (path.empty()) return "''";
    const auto dot = path.rfind('.');
    return dot == std::string::npos ? std::string() : path.substr(0, dot);
}

std::string located(const std::string& entry, const std::string& folder) {
    if (folder.empty() || fs::path(entry).is_absolute()) return entry;
    return joinPath(folder, entry);
}

bool exists(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

std::optional<fs::file_time_type> writtenAt(const std::string& path) {
    std::error_code error;
    const fs::file_time_type time = fs::last_write_time(path, error);
    if (error) return std::nullopt;
    return time;
}

// The extended design matrix of a group with confounds: the one the answer names, or the
// more recently written of the two; "" with the status and reason set when none is there.
std::string chooseExtended(GroupSources& sources, const ListedGroup& group, const std::string& folder,
                           std::optional<bool> zTransform) {
    const std::string withZ = extendedDesignMatrixName(sources.designMatrix, group, true);
    const std::string withoutZ = extendedDesignMatrixName(sources.designMatrix, group, false);
    std::vector<std::string> candidates;
    if (zTransform.value_or(true)) candidates.push_back(withZ);
    if (!zTransform.value_or(false)) candidates.push_back(withoutZ);
    std::vector<std::string> present;
    for (const std::string& name : candidates)
        if (exists(located(name, folder))) present.push_back(name);
    if (present.empty()) {
        sources.status = RunStatus::Missing;
        sources.reason = "the design matrix with confounds " + candidates.front() +
                         (candidates.size() > 1 ? " (or " + candidates.back() + ")" : std::string()) +
                         " is not there; the figures come from " + sources.designMatrix;
        return {};
    }
    if (present.size() == 1) return present.front();
    const auto first = writtenAt(located(present[0], folder));
    const auto second = writtenAt(located(present[1], folder));
    const std::string& chosen = second && (!first || *second > *first) ? present[1] : present[0];
    const std::string& other = &chosen == &present[0] ? present[1] : present[0];
    sources.notes.push_back("both " + present[0] + " and " + present[1] + " are there; " + chosen +
                            " was written more recently and is used (--z-transform picks one), not " + other);
    return chosen;
}

GroupSources sourcesOf(const ListedGroup& group, const std::string& folder, std::optional<bool> zTransform) {
    GroupSources sources;
    sources.protocol = group.protocol;
    sources.timeCourse = group.timeCourse.value_or("");
    if (group.motion) {
        sources.motion = *group.motion;
        sources.motionFile = located(*group.motion, folder);
    }
    if (!group.timeCourse) {
        sources.status = RunStatus::Missing;
        sources.reason = "no VTC follows it in the list, so it has no design matrix";
        return sources;
    }
    const std::string plain = designMatrixName(*group.timeCourse, group.protocol);
    if (!exists(located(plain, folder))) {
        sources.status = RunStatus::Missing;
        sources.reason = "the design matrix " + plain + " is not there";
        return sources;
    }
    sources.designMatrix = plain;
    if (group.hasConfounds()) {
        const std::string extended = chooseExtended(sources, group, folder, zTransform);
        if (!extended.empty()) {
            sources.designMatrix = extended;
            sources.plainDesignMatrix = plain;
            sources.plainDesignMatrixFile = located(plain, folder);
        }
    }
    sources.designMatrixFile = located(sources.designMatrix, folder);
    return sources;
}

}  // namespace

std::string designMatrixName(const std::string& timeCourse, const std::string& protocol) {
    // The plugin hands the host the protocol's file name; the host finds it beside the time
    // course and reports that path, whose name without extension goes into the design matrix's.
    const std::string hostPath = joinPath(folderOf(timeCourse), pluginFileName(protocol, false));
    const std::string protocolName = pluginFileName(hostPath, true);
    const std::string tail = timeCourse.substr(timeCourse.size() < 3 ? 0 : timeCourse.size() - 3);
    return pluginStem(pluginStem(timeCourse) + "_" + protocolName + "." + tail) + ".sdm";
}

std::vector<GroupSources> sourcesBesideList(const ListedRun& list, const std::string& listFolder,
                                            std::optional<bool> zTransform) {
    std::vector<GroupSources> all;
    for (const ListedGroup& group : list.groups) all.push_back(sourcesOf(group, listFolder, zTransform));
    return all;
}

}  // namespace morvane
