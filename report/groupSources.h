// Where the report of each protocol group takes its figures from: the design matrix (the
// extended one when there is one), the motion file, and what is known about the group already.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "formats/fileList.h"
#include "report/runReport.h"

namespace morvane {

struct GroupSources {
    std::string protocol;    // as the list names it
    std::string timeCourse;  // as the list names it; "" when none follows
    RunStatus status = RunStatus::Ok;
    std::string reason;
    std::string designMatrix;      // as the plugin names it; "" when there is none to read
    std::string designMatrixFile;  // the same file, to open
    // The design matrix without confounds, read instead when the extended one cannot be.
    std::string plainDesignMatrix, plainDesignMatrixFile;
    std::string motion;            // as the list names it; "" when none follows
    std::string motionFile;
    std::vector<std::string> logLines;
    std::vector<std::string> notes;
};

// The path under which the plugin has the host save the design matrix of a protocol and its
// time course, both as the list names them: the time course's path without its extension,
// "_", the protocol's file name without folder and extension, ".sdm". This is the name the
// host reports for a protocol found beside the time course.
std::string designMatrixName(const std::string& timeCourse, const std::string& protocol);

// The groups of a list whose outputs were written earlier (by morvane or the desktop host),
// found beside the list's files; entries that are not absolute lie in `listFolder`. With both
// extended design matrices there, `zTransform` picks one, else the more recently written wins.
std::vector<GroupSources> sourcesBesideList(const ListedRun& list, const std::string& listFolder,
                                            std::optional<bool> zTransform);

}  // namespace morvane
