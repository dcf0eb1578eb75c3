// Motion terms against values worked out by hand for a small motion file.
#include "confoundmodels/motionTerms.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/confoundmodels/modelTestFiles.h"

namespace morvane {
namespace {

using testing::motionNames;
using testing::motionOf;

// Four points; column c of point t holds a value whose steps are easy to follow.
const SdmContent fourPoints = motionOf({{0.0, 1.0, -2.0, 0.0, 0.5, 3.0},
                                        {0.5, 1.0, -1.0, 0.25, 0.5, 1.0},
                                        {-1.5, 2.0, -1.0, 0.25, -0.5, 1.0},
                                        {-1.0, 0.0, 4.0, -0.75, -0.5, 0.0}});

// By hand: the derivatives (x(t) - x(t-1), 0 at the first point) and the squares.
const double derivatives[4][6] = {{0, 0, 0, 0, 0, 0},
                                  {0.5, 0, 1, 0.25, 0, -2},
                                  {-2, 1, 0, 0, -1, 0},
                                  {0.5, -2, 5, -1, 0, -1}};
const double squares[4][6] = {{0, 1, 4, 0, 0.25, 9},
                              {0.25, 1, 1, 0.0625, 0.25, 1},
                              {2.25, 4, 1, 0.0625, 0.25, 1},
                              {1, 0, 16, 0.5625, 0.25, 0}};
const double derivativeSquares[4][6] = {{0, 0, 0, 0, 0, 0},
                                        {0.25, 0, 1, 0.0625, 0, 4},
                                        {4, 1, 0, 0, 1, 0},
                                        {0.25, 4, 25, 1, 0, 1}};

void expectBlock(const std::vector<ModelColumn>& terms, std::size_t first, const double (&expected)[4][6],
                 const std::string& suffix) {
    for (std::size_t c = 0; c < 6; ++c) {
        const ModelColumn& term = terms.at(first + c);
        EXPECT_EQ(term.name, motionNames[c] + suffix);
        ASSERT_EQ(term.values.size(), 4u);
        for (std::size_t t = 0; t < 4; ++t) EXPECT_DOUBLE_EQ(term.values[t], expected[t][c]) << term.name << " " << t;
    }
}

TEST(MotionTerms, TwentyFourAreDerivativesSquaresAndSquaredDerivativesInColumnOrder) {
    const auto terms = motionTerms(fourPoints, 24, false);
    ASSERT_TRUE(terms) << terms.error;
    ASSERT_EQ(terms.value->size(), 18u);
    expectBlock(*terms.value, 0, derivatives, " derivative");
    expectBlock(*terms.value, 6, squares, " squared");
    expectBlock(*terms.value, 12, derivativeSquares, " derivative squared");
}

TEST(MotionTerms, CountsAndNamesOfEachModel) {
    struct Case {
        int model;
        bool withParameters;
        std::vector<std::string> suffixes;  // block by block
    };
    const Case cases[] = {
        {6, false, {}},
        {6, true, {""}},
        {12, false, {" derivative"}},
        {12, true, {"", " derivative"}},
        {24, false, {" derivative", " squared", " derivative squared"}},
        {24, true, {"", " derivative", " squared", " derivative squared"}},
    };
    for (const Case& c : cases) {
        const auto terms = motionTerms(fourPoints, c.model, c.withParameters);
        ASSERT_TRUE(terms) << terms.error;
        ASSERT_EQ(terms.value->size(), 6 * c.suffixes.size()) << c.model << " " << c.withParameters;
        for (std::size_t i = 0; i < terms.value->size(); ++i)
            EXPECT_EQ((*terms.value)[i].name, motionNames[i % 6] + c.suffixes[i / 6]) << c.model;
    }
}

TEST(MotionTerms, TheParametersThemselvesAreTheFilesColumns) {
    const auto terms = motionTerms(fourPoints, 6, true);
    ASSERT_TRUE(terms);
    for (std::size_t c = 0; c < 6; ++c) {
        EXPECT_EQ((*terms.value)[c].color, fourPoints.colors[c]);
        for (int t = 0; t < 4; ++t) EXPECT_EQ((*terms.value)[c].values[static_cast<std::size_t>(t)], fourPoints.value(t, static_cast<int>(c)));
    }
}

// A derived term's colour is the column's moved toward white or black, within 0 to 255
// whatever number the file gives (once an overflow of int).
TEST(MotionTerms, DerivedColoursStayColoursForAnyComponentInTheFile) {
    struct Case {
        Rgb given;
        Rgb derivative, squared;
    };
    const Case cases[] = {
        {{0, 100, 255}, {127, 177, 255}, {0, 50, 128}},
        {{2147483647, -2147483647 - 1, 1111101101}, {255, 127, 255}, {128, 0, 128}},
        {{-5, 300, 256}, {127, 255, 255}, {0, 128, 128}},
    };
    for (const Case& c : cases) {
        SdmContent motion = fourPoints;
        motion.colors[0] = c.given;
        const auto terms = motionTerms(motion, 24, true);
        ASSERT_TRUE(terms) << terms.error;
        EXPECT_EQ((*terms.value)[0].color, c.given);  // the parameter keeps the file's colour
        EXPECT_EQ((*terms.value)[6].color, c.derivative) << c.given.red;
        EXPECT_EQ((*terms.value)[12].color, c.squared) << c.given.red;
    }
}

TEST(MotionTerms, UsesTheFirstSixColumnsOfAWiderFile) {
    SdmContent wide = fourPoints;
    wide.names.push_back("Extra");
    wide.colors.push_back({1, 2, 3});
    wide.values.clear();
    for (int t = 0; t < 4; ++t) {
        for (int c = 0; c < 6; ++c) wide.values.push_back(fourPoints.value(t, c));
        wide.values.push_back(1000.0 * t);
    }
    const auto terms = motionTerms(wide, 12, false);
    ASSERT_TRUE(terms) << terms.error;
    ASSERT_EQ(terms.value->size(), 6u);
    expectBlock(*terms.value, 0, derivatives, " derivative");
}

TEST(MotionTerms, RefusesFilesThatCannotGiveTerms) {
    struct Case {
        const char* what;
        SdmContent motion;
        const char* message;
    };
    SdmContent fiveColumns = motionOf({{0, 0, 0, 0, 0, 0}});
    fiveColumns.names.resize(5);
    fiveColumns.colors.resize(5);
    fiveColumns.values.resize(5);
    const Case cases[] = {
        {"five columns", fiveColumns, "six columns"},
        {"not a number", motionOf({{0, 0, 0, 0, 0, 0}, {0, 0, std::nan(""), 0, 0, 0}}),
         "value 3 of data point 2 is no finite number"},
        {"infinite", motionOf({{0, 0, 0, 0, 0, -INFINITY}}), "value 6 of data point 1"},
        {"square overflows", motionOf({{0, 0, 0, 0, 0, 0}, {1e200, 0, 0, 0, 0, 0}}), "too large"},
    };
    for (const Case& c : cases) {
        const auto terms = motionTerms(c.motion, 24, false);
        EXPECT_FALSE(terms) << c.what;
        EXPECT_NE(terms.error.find(c.message), std::string::npos) << c.what << ": " << terms.error;
    }
    // A model without squares does not square.
    EXPECT_TRUE(motionTerms(motionOf({{0, 0, 0, 0, 0, 0}, {1e200, 0, 0, 0, 0, 0}}), 12, false));
}

TEST(MotionTerms, OnlySixTwelveAndTwentyFourAreModels) {
    for (int model : {6, 12, 24}) EXPECT_TRUE(isMotionModel(model)) << model;
    for (int model : {0, 1, 7, 18, 36, -6}) EXPECT_FALSE(isMotionModel(model)) << model;
}

}  // namespace
}  // namespace morvane
