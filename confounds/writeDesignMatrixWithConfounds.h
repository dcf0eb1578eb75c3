// Writes a copy of a saved design matrix extended by confound predictors, placed before its
// constant, beside it under a name that records the confound kinds. The design matrix is read
// in step with the writing and never held whole.
#pragma once

#include <iosfwd>
#include <optional>
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

// The two writers differ only in these points: how the output is named and how the records'
// data-point counts are checked against the design matrix.
enum class ConfoundWriterVariant { SomeKinds, AllKinds };

// The present records; absent kinds are null.
struct ConfoundSet {
    const ConfoundRecord* motion = nullptr;
    const ConfoundRecord* heartRate = nullptr;
    const ConfoundRecord* respiration = nullptr;

    bool empty() const { return motion == nullptr && heartRate == nullptr && respiration == nullptr; }
};

// The output name for the present kinds; no text for a design-matrix name that cannot take
// a suffix (shorter than four characters).
std::optional<std::string> extendedDesignMatrixName(const std::string& designMatrixName,
                                                    const ConfoundSet& confounds,
                                                    ConfoundWriterVariant variant);

enum class MergeOutcome {
    Written,
    VersionNotSupported,     // file version above 1: nothing written
    DataPointsMismatch,      // a record holds too few (or, all kinds, other) data points
    DesignMatrixUnreadable,  // ends early, holds a word where a number belongs, or a bad count
    NoConfounds,             // no kind present: there is nothing to merge; nothing read or written
};

// The merge itself, from a design-matrix stream to an output stream; the path functions wrap
// it, and tests and fuzzers call it directly. designMatrixName only names the file in
// messages. Only whole lines reach the output. Without any kind it refuses with the writer's
// error line: the records' data points are what bound the rows it writes.
MergeOutcome mergeDesignMatrixWithConfounds(std::istream& designMatrix, std::ostream& output,
                                            const ConfoundSet& confounds,
                                            ConfoundWriterVariant variant,
                                            const std::string& designMatrixName);
