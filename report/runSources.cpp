#include "report/runSources.h"

#include <algorithm>

namespace morvane {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = text.find('\n', start);
        const std::size_t stop = end == std::string::npos ? text.size() : end;
        std::string line = text.substr(start, stop - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    // An entry ending in a line end ("Finished.\n") has no further line.
    if (lines.size() > 1 && lines.back().empty()) lines.pop_back();
    return lines;
}

// The extended design matrix the plugin wrote for the group in this run, if any: a file of
// the expected name that was not among the design matrices there before the save.
std::string extendedOfThisRun(const SavedDesignMatrix& saved, const ListedGroup& group, bool zTransform) {
    if (!group.hasConfounds()) return {};
    const std::string name = extendedDesignMatrixName(saved.path, group, zTransform);
    const std::optional<FileStamp> stamp = stampOf(name);
    if (!stamp) return {};
    const bool before = std::find(saved.sdmFilesBefore.begin(), saved.sdmFilesBefore.end(), *stamp) !=
                        saved.sdmFilesBefore.end();
    return before ? std::string() : name;
}

}  // namespace

std::vector<GroupSources> sourcesOfRun(const RunOutcome& outcome) {
    const bool zTransform = outcome.answers.zTransform.value_or(false);
    std::vector<GroupSources> all;
    for (std::size_t index = 0; index < outcome.list.groups.size(); ++index) {
        const ListedGroup& group = outcome.list.groups[index];
        GroupSources sources;
        sources.protocol = group.protocol;
        sources.timeCourse = group.timeCourse.value_or("");
        if (group.motion) sources.motion = sources.motionFile = *group.motion;
        for (const ProtocolFailure& failure : outcome.failures) {
            if (failure.groupIndex != index) continue;
            sources.status = RunStatus::Failed;
            sources.reason += (sources.reason.empty() ? "" : "; ") + failure.reason;
        }

        const GroupRecord* record = index < outcome.groupRecords.size() ? outcome.groupRecords[index] : nullptr;
        if (record != nullptr && !record->designMatrices.empty()) {
            const SavedDesignMatrix& saved = record->designMatrices.back();
            const std::vector<std::string> none;
            const std::vector<std::string>& added =
                index < outcome.addedDesignMatrices.size() ? outcome.addedDesignMatrices[index] : none;
            std::string chosen = added.empty() ? extendedOfThisRun(saved, group, zTransform) : added.back();
            sources.designMatrix = sources.designMatrixFile = chosen.empty() ? saved.path : chosen;
            if (!chosen.empty()) sources.plainDesignMatrix = sources.plainDesignMatrixFile = saved.path;
            if (chosen.empty() && group.hasConfounds())
                sources.notes.push_back("the figures come from " + saved.path + ", the design matrix without confounds");
        }

        if (record != nullptr && outcome.records != nullptr && outcome.log != nullptr) {
            const auto recordNumber = static_cast<std::size_t>(record - outcome.records->data()) + 1;
            for (const LoggedEntry& entry : *outcome.log) {
                if (entry.linkedVtcs != recordNumber) continue;
                for (std::string& line : linesOf(entry.text)) sources.logLines.push_back(std::move(line));
            }
        }
        all.push_back(std::move(sources));
    }
    return all;
}

}  // namespace morvane
