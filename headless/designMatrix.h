// The host's design matrix: predictors made from protocol conditions, convolved with a
// response function, and turned into an SDM.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formats/protocolFile.h"
#include "headless/responseFunction.h"
#include "formats/sdmFile.h"

namespace morvane {

// A zero-length event in a millisecond protocol (onset == offset) lasts this long, so that
// it still makes a response instead of vanishing.
inline constexpr double shortestEventSeconds = 0.1;

// Where a predictor's values come from and what it is called. The values are the ones a
// plugin may change through the address the host hands out, so they are kept apart.
struct Predictor {
    std::string name;
    std::vector<float> values;
    bool fromCondition = false;
    Rgb color{128, 128, 128};
    std::vector<BoxcarSegment> boxcar;     // set from a condition, in seconds
    std::vector<float> valuesFromBoxcar;   // the values that boxcar gave, to notice later changes
};

struct DesignMatrix {
    // Held by pointer: the address of a predictor's values stays valid while others are added.
    std::vector<std::unique_ptr<Predictor>> predictors;
};

// Times of a run: the TR in seconds and the number of volumes.
struct RunTiming {
    double repetitionTimeSeconds = 0.0;
    int numberOfVolumes = 0;
    double durationSeconds() const { return repetitionTimeSeconds * numberOfVolumes; }
};

Predictor& addPredictor(DesignMatrix& matrix, std::string name, int numberOfVolumes);

// The predictor of that name added last (names may repeat), or null.
Predictor* findPredictor(DesignMatrix& matrix, std::string_view name);

// The condition's intervals in continuous time, clipped to the run, with the given height.
// Volume intervals are 1-based and inclusive: [s, e] covers (s - 1) TR to e TR. Millisecond
// intervals are [onset, offset) from the start of the first volume.
std::vector<BoxcarSegment> conditionBoxcar(const ProtocolCondition& condition, bool inMilliseconds,
                                           const RunTiming& timing, double height);

// One warning per interval that reaches outside the run (and is clipped).
std::vector<std::string> intervalsOutsideRun(const Protocol& protocol, const RunTiming& timing);

void setPredictorFromCondition(Predictor& predictor, const ProtocolCondition& condition, bool inMilliseconds,
                               const RunTiming& timing, float value);

// Convolves exactly when the predictor still holds the boxcar its condition gave it;
// otherwise its values are taken as a boxcar that is constant within each volume.
void convolvePredictor(Predictor& predictor, ResponseFunction function, const Convention& convention,
                       const RunTiming& timing);

// The predictor that is the constant: the last one, named "Constant", not made from a condition.
bool hasConstantPredictor(const DesignMatrix& matrix);

SdmContent designMatrixContent(const DesignMatrix& matrix, int numberOfVolumes);

}  // namespace morvane
