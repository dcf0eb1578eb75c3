// The confound model after a batch run: for every listed group with a motion file whose
// plugin outputs are all there, one more design matrix beside the plugin's, which extends
// the plugin's design matrix with confounds by the model's motion terms and spike columns.
#pragma once

#include <iosfwd>

#include "confoundmodels/modelChoice.h"
#include "confoundmodels/modelLog.h"
#include "headless/runOutcome.h"

namespace morvane {

// Writes the files, names each in the log and in outcome.addedDesignMatrices, and adds a
// failure for each group whose file could not be written (a missing, unreadable or short
// motion file, the plugin's files of the group incomplete, a save that failed). Warnings go
// to err. Returns 0, or 1 when a file was not written.
int runConfoundModelStep(RunOutcome& outcome, const ConfoundModelChoice& choice, ModelLog& log, std::ostream& err);

}  // namespace morvane
