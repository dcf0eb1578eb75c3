#include "confoundmodels/modelChoice.h"

#include <charconv>
#include <cmath>

#include "confoundmodels/motionTerms.h"
#include "formats/textFormat.h"

namespace morvane {
namespace {

// The threshold stands in the file name as given; longer texts say nothing more.
constexpr std::size_t longestThresholdText = 16;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string motionModelProblem(int model) {
    if (isMotionModel(model)) return {};
    return formatText("--motion-model must be 6, 12 or 24, not %d", model);
}

ParseResult<double> parseSpikeThreshold(const std::string& text) {
    const auto refuse = [&] {
        return ParseResult<double>::failure("--spikes-fd must be a framewise displacement in mm, a decimal number of 0 "
                                            "or more such as 0.5, not \"" +
                                            visibleText(text, 40) + "\"");
    };
    // Digits with at most one point and at least one digit: no sign, exponent or words, so
    // that the text is a sound part of a file name.
    std::size_t digits = 0, points = 0;
    for (const char c : text) {
        if (isDigit(c))
            ++digits;
        else if (c == '.')
            ++points;
        else
            return refuse();
    }
    if (digits == 0 || points > 1) return refuse();
    if (text.size() > longestThresholdText)
        return ParseResult<double>::failure(
            formatText("--spikes-fd takes at most %zu characters (it becomes part of file names), not %zu",
                       longestThresholdText, text.size()));
    double value = 0.0;
    const auto read = std::from_chars(text.data(), text.data() + text.size(), value);
    if (read.ec != std::errc() || read.ptr != text.data() + text.size() || !std::isfinite(value)) return refuse();
    return ParseResult<double>::success(value);
}

ParseResult<ConfoundModelChoice> confoundModelChoice(int motionModel, const std::optional<std::string>& spikesFd) {
    using Result = ParseResult<ConfoundModelChoice>;
    if (std::string problem = motionModelProblem(motionModel); !problem.empty()) return Result::failure(problem);
    ConfoundModelChoice choice;
    choice.motionModel = motionModel;
    if (spikesFd) {
        ParseResult<double> threshold = parseSpikeThreshold(*spikesFd);
        if (!threshold) return Result::failure(threshold.error);
        choice.spikeThresholdText = *spikesFd;
        choice.spikeThresholdMm = *threshold.value;
    }
    return Result::success(std::move(choice));
}

}  // namespace morvane
