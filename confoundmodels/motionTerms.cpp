#include "confoundmodels/motionTerms.h"

#include <algorithm>
#include <cmath>

#include "formats/textFormat.h"

namespace morvane {
namespace {

// The colour of a derived term: the motion column's colour moved toward white (derivatives)
// or toward black (squares), so that the blocks stay apart in a picture of the matrix. A
// file may give any number as a component; it is taken within 0 to 255 first.
Rgb shade(Rgb color, MotionTerm term) {
    const auto toward = [](int value, int target, int share) {
        value = std::clamp(value, 0, 255);
        return value + (target - value) * share / 4;
    };
    switch (term) {
        case MotionTerm::Parameter:
            return color;
        case MotionTerm::Derivative:
            return {toward(color.red, 255, 2), toward(color.green, 255, 2), toward(color.blue, 255, 2)};
        case MotionTerm::Squared:
            return {toward(color.red, 0, 2), toward(color.green, 0, 2), toward(color.blue, 0, 2)};
        case MotionTerm::DerivativeSquared:
            return {toward(color.red, 0, 3), toward(color.green, 0, 3), toward(color.blue, 0, 3)};
    }
    return color;
}

}  // namespace

bool isMotionModel(int model) { return model == 6 || model == 12 || model == 24; }

std::vector<MotionTerm> motionTermBlocks(int model, bool withParameters) {
    std::vector<MotionTerm> blocks;
    if (withParameters) blocks.push_back(MotionTerm::Parameter);
    if (model >= 12) blocks.push_back(MotionTerm::Derivative);
    if (model >= 24) {
        blocks.push_back(MotionTerm::Squared);
        blocks.push_back(MotionTerm::DerivativeSquared);
    }
    return blocks;
}

const char* motionTermSuffix(MotionTerm term) {
    switch (term) {
        case MotionTerm::Parameter:
            return "";
        case MotionTerm::Derivative:
            return " derivative";
        case MotionTerm::Squared:
            return " squared";
        case MotionTerm::DerivativeSquared:
            return " derivative squared";
    }
    return "";
}

ParseResult<std::vector<ModelColumn>> motionTerms(const SdmContent& motion, int model, bool withParameters) {
    using Result = ParseResult<std::vector<ModelColumn>>;
    if (std::string problem = motionColumnsProblem(motion); !problem.empty()) return Result::failure(std::move(problem));
    const std::size_t points = static_cast<std::size_t>(std::max(motion.dataPoints, 0));
    for (std::size_t t = 0; t < points; ++t)
        for (int c = 0; c < motionParameterCount; ++c)
            if (!std::isfinite(motion.value(static_cast<int>(t), c)))
                return Result::failure(formatText("value %d of data point %zu is no finite number", c + 1, t + 1));

    std::vector<ModelColumn> terms;
    for (const MotionTerm term : motionTermBlocks(model, withParameters)) {
        for (int c = 0; c < motionParameterCount; ++c) {
            const Rgb color = static_cast<std::size_t>(c) < motion.colors.size() ? motion.colors[static_cast<std::size_t>(c)]
                                                                                 : Rgb{128, 128, 128};
            ModelColumn column{motion.names[static_cast<std::size_t>(c)] + motionTermSuffix(term), shade(color, term),
                               std::vector<double>(points, 0.0)};
            for (std::size_t t = 0; t < points; ++t) {
                const double value = motion.value(static_cast<int>(t), c);
                const double change = t == 0 ? 0.0 : value - motion.value(static_cast<int>(t) - 1, c);
                double& out = column.values[t];
                switch (term) {
                    case MotionTerm::Parameter: out = value; break;
                    case MotionTerm::Derivative: out = change; break;
                    case MotionTerm::Squared: out = value * value; break;
                    case MotionTerm::DerivativeSquared: out = change * change; break;
                }
                if (!std::isfinite(out))
                    return Result::failure(formatText("the term \"%s\" of data point %zu is too large for a number",
                                                      visibleText(column.name).c_str(), t + 1));
            }
            terms.push_back(std::move(column));
        }
    }
    return Result::success(std::move(terms));
}

}  // namespace morvane
