// A confound stage that only records its calls, in the installed fake host's transcript:
//   addConfounds("<design matrix>", "<motion>", "<heart rate>", "<respiration>", z, m, h, r)
//   addAllConfounds("<design matrix>", "<motion>", "<heart rate>", "<respiration>", z)
// with the flags as true/false.
#pragma once

#include "batch/confoundHandoff.h"

ConfoundStage recordingConfoundStage();
