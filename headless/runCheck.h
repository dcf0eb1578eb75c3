// After a run: did every protocol of the list produce what it should? The plugin reports
// failures only in its log, so the host checks what was written: the design matrices it
// saved, the VTCs it saved, and the extended design matrices that appeared beside them.
#pragma once

#include <string>
#include <vector>

#include "formats/fileList.h"
#include "headless/hostSession.h"

namespace morvane {

struct ProtocolFailure {
    std::string protocolPath;  // as the list names it
    std::string reason;
    std::size_t groupIndex = 0;  // in the list's groups
};

// The host's record of each listed group, in list order: the next record after the previous
// group's that linked the group's VTC, or null.
std::vector<const GroupRecord*> recordsOfGroups(const ListedRun& list, const std::vector<GroupRecord>& records);

// The name of the extended design matrix for the listed confound kinds: each kind's part
// ("_3DMC", "_HR", "_RVT", each with "_z" when z-transformed) before the four-character
// extension of the design matrix's name.
std::string extendedDesignMatrixName(const std::string& designMatrixPath, const ListedGroup& group, bool zTransform);

// How many predictors a confound file adds, read from its header. Motion files add their
// declared count; heart-rate and respiration files all but a constant.
ParseResult<int> confoundPredictorCount(const std::string& path, EntryKind kind);

// The failures of the run, one per protocol group that failed, in list order.
std::vector<ProtocolFailure> checkRun(const ListedRun& list, const std::vector<GroupRecord>& records,
                                      bool skipFirstCondition, bool zTransform);
// The same with each group's record found already (recordsOfGroups).
std::vector<ProtocolFailure> checkRun(const ListedRun& list, const std::vector<const GroupRecord*>& groupRecords,
                                      bool skipFirstCondition, bool zTransform);

}  // namespace morvane
