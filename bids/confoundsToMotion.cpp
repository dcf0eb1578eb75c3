#include "bids/confoundsToMotion.h"

#include <cmath>
#include <limits>
#include <numbers>

#include "formats/motionColumns.h"
#include "formats/textFormat.h"

namespace morvane {

ParseResult<ImportedMotion> motionFromConfounds(const TsvTable& confounds) {
    using Result = ParseResult<ImportedMotion>;
    const std::string name = confounds.source().empty() ? std::string("the confound table") : confounds.source();
    std::size_t columns[6] = {};
    for (std::size_t m = 0; m < 6; ++m) {
        const ParseResult<std::size_t> column = requiredColumn(confounds, confoundMotionColumns[m]);
        if (!column) return Result::failure(column.error);
        columns[m] = *column.value;
    }
    if (confounds.rowCount() == 0)
        return Result::failure(formatText("%s, line %zu: no row; the table holds a header line only", name.c_str(),
                                          confounds.headerLine() + 1));
    if (confounds.rowCount() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return Result::failure(name + ": more rows than a design matrix counts");

    ImportedMotion result;
    SdmContent& motion = result.motion;
    motion.fileVersion = 1;
    motion.includesConstant = 0;
    motion.firstConfoundPredictor = 1;
    motion.dataPoints = static_cast<int>(confounds.rowCount());
    for (const MotionColumn& column : hostMotionColumns) {
        motion.names.emplace_back(column.name);
        motion.colors.push_back(column.color);
    }
    motion.values.resize(confounds.rowCount() * 6);
    constexpr double degreesPerRadian = 180.0 / std::numbers::pi;
    std::size_t notAvailable = 0;
    for (std::size_t row = 0; row < confounds.rowCount(); ++row) {
        for (std::size_t m = 0; m < 6; ++m) {
            const ParseResult<CellNumber> number = cellNumber(confounds, row, columns[m]);
            if (!number) return Result::failure(number.error);
            if (number.value->notAvailable) {
                if (row > 0)
                    return Result::failure(cellPlace(confounds, row, columns[m]) +
                                           ": expected a number, found n/a (taken in the first row only)");
                ++notAvailable;
            }
            const double value = m < 3 ? number.value->value : number.value->value * degreesPerRadian;
            if (!std::isfinite(value))
                return Result::failure(cellPlace(confounds, row, columns[m]) +
                                       ": the rotation is too large to hold in degrees");
            motion.values[row * 6 + m] = value;
        }
    }
    if (notAvailable > 0)
        result.warnings.push_back(formatText("%s, line %zu: n/a in %zu of the motion columns taken as 0", name.c_str(),
                                             confounds.lineOf(0), notAvailable));
    return Result::success(std::move(result));
}

}  // namespace morvane
