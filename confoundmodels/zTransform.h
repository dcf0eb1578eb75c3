// The z-transform of a confound column by the plugin's rule, so that the terms morvane adds
// read like the confounds the plugin writes beside them: the mean, and the standard
// deviation with divisor N, over all the column's values, in double precision.
#pragma once

#include <string>
#include <vector>

namespace morvane {

// Transforms the values in place. A column that does not vary (its standard deviation zero,
// not finite, or negligible against its values) is set to 0.0 instead, and false returned.
bool zTransformValues(std::vector<double>& values);

// The log line for such a column, in the plugin's words: the 1-based column of the file.
std::string constantColumnLine(int column, const std::string& path);

}  // namespace morvane
