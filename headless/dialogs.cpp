#include "headless/dialogs.h"

#include <cmath>
#include <cstdlib>
#include <istream>
#include <ostream>

#include "formats/textFormat.h"

namespace morvane {

std::vector<std::string> missingAnswers(const Answers& answers) {
    std::vector<std::string> missing;
    if (!answers.twoGamma) missing.push_back("--hrf");
    if (!answers.predictorValue) missing.push_back("--value");
    if (!answers.skipFirstCondition) missing.push_back("--skip-first");
    if (!answers.zTransform) missing.push_back("--z-transform");
    if (!answers.listPath) missing.push_back("--list");
    return missing;
}

Dialogs::Dialogs(Answers answers, bool interactive, std::istream& in, std::ostream& err)
    : answers_(std::move(answers)), interactive_(interactive), in_(in), err_(err) {}

std::optional<std::string> Dialogs::promptLine(const std::string& prompt) {
    err_ << prompt << std::flush;
    std::string line;
    if (!std::getline(in_, line)) {
        err_ << "\n";
        return std::nullopt;
    }
    return std::string(trimmed(line));
}

int Dialogs::yesNo(std::string_view question) {
    std::optional<bool>* answer = nullptr;
    if (question == responseFunctionQuestion) answer = &answers_.twoGamma;
    if (question == skipFirstConditionQuestion) answer = &answers_.skipFirstCondition;
    if (question == zTransformQuestion) answer = &answers_.zTransform;
    if (answer != nullptr && answer->has_value()) return **answer ? 1 : 0;
    if (!interactive_) {
        err_ << "morvane: no answer for the question \"" << question << "\"; answering No\n";
        return 0;
    }
    while (true) {
        const auto line = promptLine("\n" + std::string(question) + " [yes/no] ");
        if (!line) return 0;  // end of input: the dialog closed without Yes
        if (equalsIgnoringCase(*line, "y") || equalsIgnoringCase(*line, "yes")) {
            if (answer) *answer = true;
            return 1;
        }
        if (equalsIgnoringCase(*line, "n") || equalsIgnoringCase(*line, "no")) {
            if (answer) *answer = false;
            return 0;
        }
        err_ << "Please answer yes or no.\n";
    }
}

float Dialogs::floatInput(std::string_view prompt, float initial, float lowest, float highest) {
    if (prompt == predictorValuePrompt && answers_.predictorValue) {
        const float value = *answers_.predictorValue;
        if (value >= lowest && value <= highest) return value;
        err_ << formatText("morvane: the value %g lies outside the dialog's range %g to %g; the dialog is cancelled\n",
                           double(value), double(lowest), double(highest));
        return cancelledFloatInput;
    }
    if (!interactive_) {
        err_ << "morvane: no answer for \"" << prompt << "\"; the dialog is cancelled\n";
        return cancelledFloatInput;
    }
    while (true) {
        const auto line = promptLine(formatText("\n%.*s [%g to %g; Enter: %g; 'cancel' or end of input: Cancel] ",
                                                static_cast<int>(prompt.size()), prompt.data(), double(lowest),
                                                double(highest), double(initial)));
        if (!line) return cancelledFloatInput;
        if (line->empty()) return initial;
        if (equalsIgnoringCase(*line, "cancel")) return cancelledFloatInput;
        char* end = nullptr;
        const float value = std::strtof(line->c_str(), &end);
        if (end != line->c_str() && *end == '\0' && std::isfinite(value) && value >= lowest && value <= highest) {
            if (prompt == predictorValuePrompt) answers_.predictorValue = value;
            return value;
        }
        err_ << formatText("Please enter a number from %g to %g.\n", double(lowest), double(highest));
    }
}

std::optional<std::string> Dialogs::openFileName(std::string_view title, std::string_view filter) {
    if (title == fileListTitle && answers_.listPath) return answers_.listPath;
    if (!interactive_) {
        err_ << "morvane: no file given for \"" << title << "\"; the dialog is cancelled\n";
        return std::nullopt;
    }
    while (true) {
        const auto line = promptLine("\n" + std::string(title) + " (" + std::string(filter) +
                                     ") [path, empty input: Cancel] ");
        if (!line || line->empty()) return std::nullopt;
        if (line->size() > 511) {
            err_ << "The path is longer than 511 characters.\n";
            continue;
        }
        if (title == fileListTitle) answers_.listPath = *line;
        return line;
    }
}

}  // namespace morvane
