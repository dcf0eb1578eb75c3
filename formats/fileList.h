// The host's own reading of a plugin's file list, to know which protocols a run should have
// converted and which confound files follow each of them. It reads the list by the same
// rules as the plugin: a declared count, then white-space separated entries up to the end
// of the file or to the first entry shorter than two characters; kinds by case-sensitive
// markers in this order: ".prt", ".vtc", "_3DMC", "_HR", "_RVT".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/parseResult.h"

namespace morvane {

enum class EntryKind { Other, Protocol, TimeCourse, Motion, HeartRate, Respiration };

EntryKind entryKind(std::string_view entry);

struct ListedGroup {
    std::string protocol;
    std::optional<std::string> timeCourse;  // the entry right after the protocol, if a VTC
    // The last entry of each confound kind between the time course and the next protocol.
    std::optional<std::string> motion, heartRate, respiration;

    bool hasConfounds() const { return motion || heartRate || respiration; }
};

struct ListedRun {
    int declaredCount = 0;
    std::vector<std::string> entries;
    std::vector<ListedGroup> groups;
};

ListedRun parseFileList(std::string_view text);
ParseResult<ListedRun> readFileList(const std::string& path);

}  // namespace morvane
