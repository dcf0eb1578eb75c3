// One batch run: the questions, the file list, and for every PRT-VTC pair the linked VTC, the
// attached protocol, the saved design matrix, the saved VTC and the confound hand-off.
#pragma once

#include <cstdint>

#include "batch/confoundHandoff.h"

// The answers of one run, asked anew every run.
struct RunSettings {
    std::int32_t hrfChoice = 0;      // 1: two-gamma HRF; anything else: Boynton
    float predictorValue = 0.0f;     // the value of the condition predictors
    bool cancelled = false;          // the value dialog returned its cancel value
    bool skipFirstCondition = false;
    bool zTransform = false;
};

// The four questions, each followed by its log line; questions 3 and 4 are asked even after a
// cancelled value dialog.
RunSettings askRunSettings();

// The whole run against the host in `hostFunctions`. False only when no VMR is open; a
// cancelled run and a run whose every pair failed are true.
bool runBatch(const ConfoundStage& stage);

// The same with the confound stage of the confounds folder.
bool runBatch();
