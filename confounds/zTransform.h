// z-transform of confound columns, in place: population variance, two passes.
#pragma once

#include <cstdint>

#include "confounds/confoundRecord.h"

// Transforms the first count values. Returns false when the column does not vary (its
// standard deviation is zero, not finite or negligible against its values): it is then
// set to 0.0 instead. A count of 0 or less changes nothing and returns true.
bool zTransformColumn(double* values, std::int32_t count);

// The six motion columns, then sets zTransformed. Logs a line for every column set to 0.0.
void zTransformMotion(ConfoundRecord& record);

// Every kept heart-rate or respiration column, then sets zTransformed (also when the record
// has no column). Logs a line for every column set to 0.0.
void zTransformConfounds(ConfoundRecord& record);
