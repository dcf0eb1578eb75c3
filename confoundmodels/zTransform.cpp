#include "confoundmodels/zTransform.h"

#include <cmath>

#include "formats/textFormat.h"

namespace morvane {
namespace {

// A spread below this share of the column's largest magnitude is rounding residue of the
// mean, not signal (a constant 0.1 column has a mean that differs from its values in the last
// bit); the plugin sets such a column to 0.0 with the same bound.
constexpr double negligibleSpreadShare = 1e-12;

}  // namespace

bool zTransformValues(std::vector<double>& values) {
    if (values.empty()) return true;
    const double count = static_cast<double>(values.size());
    double sum = 0.0;
    double smallest = values[0];
    double largest = values[0];
    for (const double value : values) {
        sum += value;
        if (value < smallest) smallest = value;
        if (value > largest) largest = value;
    }
    const double mean = sum / count;
    double squares = 0.0;
    for (const double value : values) {
        const double deviation = value - mean;
        squares += deviation * deviation;
    }
    const double deviation = std::sqrt(squares / count);

    const double magnitude = std::fmax(std::fabs(smallest), std::fabs(largest));
    const bool varies = smallest != largest && std::isfinite(deviation) && std::isfinite(mean) &&
                        deviation > negligibleSpreadShare * magnitude;
    if (!varies) {
        for (double& value : values) value = 0.0;
        return false;
    }
    for (double& value : values) value = (value - mean) / deviation;
    return true;
}

std::string constantColumnLine(int column, const std::string& path) {
    return formatText("Column %i of %s does not vary: its z-transformed values are set to 0.0.", column, path.c_str());
}

}  // namespace morvane
