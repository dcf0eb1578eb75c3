// The host's dialogs without a screen: answers given on the command line, or, where none
// was given and standard input is a terminal, the dialog's own text at a prompt.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// The plugin's dialog texts, by which the host knows which answer a dialog wants.
inline constexpr std::string_view responseFunctionQuestion =
    "Would you like to apply the 2-gamma HRF (click 'Yes') or the Boynton HRF (click 'No')?";
inline constexpr std::string_view skipFirstConditionQuestion =
    "Skip first condition of protocol for creation of design matrix (if this is the fixation condition)?";
inline constexpr std::string_view zTransformQuestion = "Would you like to z-transform the confound(s)?";
inline constexpr std::string_view predictorValuePrompt = "Please enter the value for the predictor:";
inline constexpr std::string_view fileListTitle = "Please select the file list";

// What the float dialog returns for Cancel.
inline constexpr float cancelledFloatInput = -101.0f;

struct Answers {
    std::optional<bool> twoGamma;
    std::optional<float> predictorValue;
    std::optional<bool> skipFirstCondition;
    std::optional<bool> zTransform;
    std::optional<std::string> listPath;
};

// The command-line options whose answers are missing, in dialog order.
std::vector<std::string> missingAnswers(const Answers& answers);

class Dialogs {
public:
    Dialogs(Answers answers, bool interactive, std::istream& in, std::ostream& err);

    int yesNo(std::string_view question);
    float floatInput(std::string_view prompt, float initial, float lowest, float highest);
    // The chosen path, or nothing for Cancel.
    std::optional<std::string> openFileName(std::string_view title, std::string_view filter);

    const Answers& answers() const { return answers_; }

private:
    std::optional<std::string> promptLine(const std::string& prompt);

    Answers answers_;
    bool interactive_;
    std::istream& in_;
    std::ostream& err_;
};

}  // namespace morvane
