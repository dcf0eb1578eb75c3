// The last step of a protocol group: the confound files that follow the PRT-VTC pair go,
// with the saved design matrix's path, to the confound stage.
#pragma once

#include <string>

#include "batch/fileList.h"

// The confound files of the current group. Made once per run: a path whose flag is false may
// still hold an entry of an earlier group, and nothing reads it.
struct ConfoundFiles {
    std::string motionPath;
    std::string heartRatePath;
    std::string respirationPath;
    bool hasMotion = false;
    bool hasHeartRate = false;
    bool hasRespiration = false;
};

// The two entries of the confound stage, as a table so that a run can be given another stage.
struct ConfoundStage {
    std::string (*addConfounds)(const std::string& designMatrixName, const char* motionPath,
                                const char* heartRatePath, const char* respirationPath,
                                bool zTransform, bool hasMotion, bool hasHeartRate,
                                bool hasRespiration);
    std::string (*addAllConfounds)(const std::string& designMatrixName, const char* motionPath,
                                   const char* heartRatePath, const char* respirationPath,
                                   bool zTransform);
};

// addConfounds and addAllConfounds of the confounds folder.
ConfoundStage defaultConfoundStage();

// Gathers the motion, heart-rate and respiration entries of the group's follower range (the
// last of each kind counts), logs each, and calls addAllConfounds when all three kinds are
// there, addConfounds for one or two, or logs "No confounds found for this protocol.".
void handOffConfounds(const FileList& list, const ProtocolGroup& group,
                      const std::string& designMatrixName, bool zTransform, ConfoundFiles& files,
                      const ConfoundStage& stage);
