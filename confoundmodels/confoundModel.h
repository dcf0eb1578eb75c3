// A design matrix extended by a confound model: every column of the matrix, then the motion
// terms, then extra columns, then the spike columns, and its constant last when it has one.
#pragma once

#include <string>
#include <vector>

#include "confoundmodels/modelChoice.h"
#include "confoundmodels/modelColumn.h"
#include "formats/parseResult.h"
#include "formats/sdmFile.h"

namespace morvane {

struct ConfoundModelRequest {
    ConfoundModelChoice choice;
    // The six motion parameters themselves, for a design matrix that lacks them.
    bool withMotionParameters = false;
    // Motion terms and extra columns, as the plugin does its confounds; never the spikes.
    bool zTransform = false;
    // Columns from elsewhere (a confounds table), at least as long as the design matrix;
    // the first NrOfDataPoints values are used.
    std::vector<ModelColumn> extraColumns;
    // The motion file as messages name it.
    std::string motionPath = "the motion file";
};

struct ConfoundModel {
    SdmContent content;
    int motionTerms = 0;
    int extraColumns = 0;
    int spikeColumns = 0;
    std::vector<std::string> logLines;  // a column set to 0.0 by the z-transform, in the plugin's words
    std::vector<std::string> warnings;  // too many volumes flagged
};

// The extended matrix. Motion terms are computed and z-transformed over every point of the
// motion file, then its first NrOfDataPoints written; spikes come from the framewise
// displacement of those points. Fails when the motion file holds fewer points than the
// design matrix, or lacks six columns of finite numbers. `outputPath` names the file in log
// lines and warnings.
ParseResult<ConfoundModel> buildConfoundModel(const SdmContent& designMatrix, const SdmContent& motion,
                                              const ConfoundModelRequest& request, const std::string& outputPath);

// What the model added, for the log line of its file: "18 motion terms, 3 spike columns added".
std::string addedColumnsText(const ConfoundModel& model);

// Does the design matrix already hold the motion file's six columns (by name)?
bool holdsMotionParameters(const SdmContent& designMatrix, const SdmContent& motion);

}  // namespace morvane
