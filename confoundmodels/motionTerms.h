// The motion terms of a confound model, from the six columns of a motion file (three
// translations, three rotations): the parameters themselves, their temporal derivatives,
// and the squares of both (Friston et al., 1996; Satterthwaite et al., 2013).
#pragma once

#include <vector>

#include "confoundmodels/modelColumn.h"
#include "formats/parseResult.h"
#include "formats/sdmFile.h"
#include "motion/framewiseDisplacement.h"

namespace morvane {

// The models a user may ask for: 6 (the parameters), 12 (with their derivatives) and 24
// (also the squares of both).
bool isMotionModel(int model);

enum class MotionTerm { Parameter, Derivative, Squared, DerivativeSquared };

// The blocks of six terms a model adds, in the order they are written; the parameters only
// where the design matrix does not hold them already.
std::vector<MotionTerm> motionTermBlocks(int model, bool withParameters);

// What a term's name adds to its motion column's name ("" for the parameter itself).
const char* motionTermSuffix(MotionTerm term);

// The model's terms over every point of the motion file, block by block, each block in the
// file's column order (its first six columns). The derivative of point t is x(t) - x(t-1),
// 0 at the first point. Fails when the file has fewer than six columns or a value that is
// no finite number, or when a square overflows.
ParseResult<std::vector<ModelColumn>> motionTerms(const SdmContent& motion, int model, bool withParameters);

}  // namespace morvane
