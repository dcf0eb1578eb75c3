#include "confounds/zTransform.h"

#include <cmath>
#include <cstddef>

#include "common/text.h"
#include "host/hostLog.h"

namespace {

// A spread below this share of the column's largest magnitude is rounding residue, not
// signal: a constant column such as 0.1 repeated ten times has a computed mean that
// differs from its values in the last bit, and dividing that residue by an equally tiny
// standard deviation gives values near +1 or -1 that mean nothing. Double precision
// carries about 16 digits; 1e-12 leaves room for the error of summing long columns while
// staying far below any spread a real confound column shows.
constexpr double negligibleSpreadShare = 1e-12;

void logConstantColumn(const ConfoundRecord& record, int column) {
    logText(formatText("Column %i of %s does not vary: its z-transformed values are set to 0.0.",
                       column, record.path.c_str()));
}

// The points of a column that the record really holds: an abandoned record keeps the
// header's count but may lack the arrays.
std::int32_t pointsHeld(const ConfoundRecord& record, const std::vector<double>& column) {
    if (record.dataPointCount <= 0) return 0;
    if (column.size() < static_cast<std::size_t>(record.dataPointCount))
        return static_cast<std::int32_t>(column.size());
    return record.dataPointCount;
}

}  // namespace

bool zTransformColumn(double* values, std::int32_t count) {
    if (values == nullptr || count <= 0) return true;
    const std::size_t size = static_cast<std::size_t>(count);

    double sum = 0.0;
    double smallest = values[0];
    double largest = values[0];
    for (std::size_t i = 0; i < size; ++i) {
        sum += values[i];
        if (values[i] < smallest) smallest = values[i];
        if (values[i] > largest) largest = values[i];
    }
    const double mean = sum / static_cast<double>(count);

    double squares = 0.0;
    for (std::size_t i = 0; i < size; ++i) {
        const double deviation = values[i] - mean;
        squares += deviation * deviation;
    }
    const double deviation = std::sqrt(squares / static_cast<double>(count));

    const double magnitude = std::fmax(std::fabs(smallest), std::fabs(largest));
    const bool varies = smallest != largest && std::isfinite(deviation) && std::isfinite(mean) &&
                        deviation > negligibleSpreadShare * magnitude;
    if (!varies) {
        for (std::size_t i = 0; i < size; ++i) values[i] = 0.0;
        return false;
    }
    for (std::size_t i = 0; i < size; ++i) values[i] = (values[i] - mean) / deviation;
    return true;
}

void zTransformMotion(ConfoundRecord& record) {
    for (int column = 0; column < motionColumnCount; ++column) {
        std::vector<double>& values = record.motionColumns[static_cast<std::size_t>(column)];
        if (!zTransformColumn(values.data(), pointsHeld(record, values))) logConstantColumn(record, column + 1);
    }
    record.zTransformed = true;
}

void zTransformConfounds(ConfoundRecord& record) {
    const std::size_t kept = record.predictorCount > 0 ? static_cast<std::size_t>(record.predictorCount) : 0;
    for (std::size_t column = 0; column < kept && column < record.columns.size(); ++column) {
        std::vector<double>& values = record.columns[column];
        if (!zTransformColumn(values.data(), pointsHeld(record, values)))
            logConstantColumn(record, static_cast<int>(column) + 1);
    }
    record.zTransformed = true;
}
