// What a batch run left behind, for the work that follows it on the command line (further
// design matrices, the report): the list as morvane read it, the dialogs' answers, what the
// host did for each linked VTC, the log pane, and the run check's failures so far.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "formats/fileList.h"
#include "headless/dialogs.h"
#include "headless/hostSession.h"
#include "headless/runCheck.h"

namespace morvane {

struct RunOutcome {
    std::string listPath;  // as chosen in the file dialog
    ListedRun list;
    Answers answers;
    const std::vector<GroupRecord>* records = nullptr;
    // The host's record of each listed group (null when its VTC was never linked), in list order.
    std::vector<const GroupRecord*> groupRecords;
    // Every log pane entry, with the number of VTCs linked when it came.
    const std::vector<LoggedEntry>* log = nullptr;
    // The run check's failures; work after the run adds its own.
    std::vector<ProtocolFailure> failures;
    // Design matrices morvane wrote after the plugin, per listed group (empty when none).
    std::vector<std::vector<std::string>> addedDesignMatrices;
};

}  // namespace morvane
