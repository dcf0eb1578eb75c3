// The confound stage of one protocol group: read the group's confound files, z-transform
// them on request, and write the design matrix extended by them beside the saved one.
#pragma once

#include <string>

// One or two kinds present (the flags say which). Returns the name of the file written.
std::string addConfounds(const std::string& designMatrixName, const char* motionPath,
                         const char* heartRatePath, const char* respirationPath, bool zTransform,
                         bool hasMotion, bool hasHeartRate, bool hasRespiration);

// All three kinds present. Returns the name of the file written.
std::string addAllConfounds(const std::string& designMatrixName, const char* motionPath,
                            const char* heartRatePath, const char* respirationPath,
                            bool zTransform);
