#include "headless/dialogs.h"

#include <gtest/gtest.h>

#include <sstream>

namespace morvane {
namespace {

TEST(Dialogs, GivenAnswersAnswerTheirOwnDialogsOnly) {
    Answers answers;
    answers.twoGamma = false;
    answers.skipFirstCondition = true;
    answers.zTransform = false;
    answers.predictorValue = 2.5f;
    answers.listPath = "list.txt";
    std::istringstream in;
    std::ostringstream err;
    Dialogs dialogs(answers, false, in, err);
    EXPECT_EQ(dialogs.yesNo(responseFunctionQuestion), 0);
    EXPECT_EQ(dialogs.yesNo(skipFirstConditionQuestion), 1);
    EXPECT_EQ(dialogs.yesNo(zTransformQuestion), 0);
    EXPECT_EQ(dialogs.floatInput(predictorValuePrompt, 1.0f, -100.0f, 100.0f), 2.5f);
    EXPECT_EQ(dialogs.floatInput(predictorValuePrompt, 1.0f, -1.0f, 1.0f), cancelledFloatInput);
    EXPECT_EQ(dialogs.openFileName(fileListTitle, "*.txt"), "list.txt");
    EXPECT_EQ(dialogs.yesNo("Something else?"), 0);
    EXPECT_EQ(dialogs.openFileName("Another file", "*"), std::nullopt);
    EXPECT_NE(err.str().find("Something else?"), std::string::npos);
    EXPECT_EQ(missingAnswers(answers), std::vector<std::string>{});
    EXPECT_EQ(missingAnswers(Answers{}),
              (std::vector<std::string>{"--hrf", "--value", "--skip-first", "--z-transform", "--list"}));
}

TEST(Dialogs, OnATerminalTheDialogTextIsThePrompt) {
    std::istringstream in("maybe\nYES\n\n7\n\n");
    std::ostringstream err;
    Dialogs dialogs(Answers{}, true, in, err);
    EXPECT_EQ(dialogs.yesNo(responseFunctionQuestion), 1);
    EXPECT_NE(err.str().find(std::string(responseFunctionQuestion)), std::string::npos);
    EXPECT_NE(err.str().find("Please answer yes or no."), std::string::npos);
    EXPECT_EQ(dialogs.answers().twoGamma, true);
    EXPECT_EQ(dialogs.floatInput(predictorValuePrompt, 1.0f, -100.0f, 100.0f), 1.0f);  // Enter: the initial value
    EXPECT_EQ(dialogs.floatInput(predictorValuePrompt, 1.0f, -100.0f, 100.0f), 7.0f);
    EXPECT_EQ(dialogs.answers().predictorValue, 7.0f);
    EXPECT_EQ(dialogs.openFileName(fileListTitle, "*.txt"), std::nullopt);  // empty line
    EXPECT_EQ(dialogs.yesNo(zTransformQuestion), 0);                         // end of input
}

TEST(Dialogs, ATerminalValueOutsideTheRangeIsAskedAgainAndCanBeCancelled) {
    for (const char* input : {"200\ncancel\n", "x\n", ""}) {
        std::istringstream in(input);
        std::ostringstream err;
        Dialogs dialogs(Answers{}, true, in, err);
        EXPECT_EQ(dialogs.floatInput(predictorValuePrompt, 1.0f, -100.0f, 100.0f), cancelledFloatInput) << input;
    }
    std::istringstream in("list.txt\n");
    std::ostringstream err;
    Dialogs dialogs(Answers{}, true, in, err);
    EXPECT_EQ(dialogs.openFileName(fileListTitle, "*.txt"), "list.txt");
    EXPECT_EQ(dialogs.answers().listPath, "list.txt");
}

}  // namespace
}  // namespace morvane
