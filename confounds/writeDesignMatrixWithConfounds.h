// Writes a copy of a saved design matrix extended by confound predictors, placed before its
// constant, beside it under a name that records the confound kinds. The design matrix is read
// in step with the writing and never held whole.
#pragma once

#include <iosfwd>
#include <string>

#include "confounds/confoundRecord.h"

// One or two kinds: only the records whose flag is set are looked at. Returns the output name.
std::string writeDesignMatrixWithConfounds(const std::string& designMatrixName,
                                           const ConfoundRecord* motion,
                                           const ConfoundRecord* heartRate,
                                           const ConfoundRecord* respiration, bool hasMotion,
                                           bool hasHeartRate, bool hasRespiration);

// All three kinds. Returns the output name.
std::string writeDesignMatrixWithAllConfounds(const std::string& designMatrixName,
                                              const ConfoundRecord& motion,
                                              const ConfoundRecord& heartRate,
                                              const ConfoundRecord& respiration);

// The two writers differ only in these points.
enum class ConfoundWriterVariant { SomeKinds, AllKinds };

// The present records; absent kinds are null.
struct ConfoundSet {
    const ConfoundRecord* motion = nullptr;
    const ConfoundRecord* heartRate = nullptr;
    const ConfoundRecord* respiration = nullptr;
};

// The merge itself, from a design-matrix stream to an output stream, for tests and fuzzers.
// designMatrixName only names the file in messages. Returns false when the design matrix
// could not be read to the end its header announces (after logging why).
bool mergeDesignMatrixWithConfounds(std::istream& designMatrix, std::ostream& output,
                                    const ConfoundSet& confounds, ConfoundWriterVariant variant,
                                    const std::string& designMatrixName);
