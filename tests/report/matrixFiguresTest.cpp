// The collinearity figures against values known in closed form or computed the plain way.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "report/matrixFigures.h"
#include "tests/report/reportTestMatrices.h"

namespace morvane {
namespace {

using testing::Columns;
using testing::matrixOf;
using testing::noise;
using testing::pearson;

MatrixFigures figuresOf(const SdmContent& matrix) {
    ParseResult<MatrixFigures> figures = matrixFigures(matrix);
    EXPECT_TRUE(figures) << figures.error;
    return figures ? *figures.value : MatrixFigures{};
}

// Columns 2 to 4 of the 8 x 8 Hadamard matrix: ±1, each summing to 0, mutually orthogonal.
const Columns hadamard = {{1, -1, 1, -1, 1, -1, 1, -1}, {1, 1, -1, -1, 1, 1, -1, -1}, {1, -1, -1, 1, 1, -1, -1, 1}};

TEST(MatrixFigures, OrthogonalColumnsHaveVifOneAndConditionNumberOne) {
    const MatrixFigures f = figuresOf(matrixOf(hadamard, 2, true));
    ASSERT_EQ(f.predictors.size(), 4u);
    for (int t = 0; t < 2; ++t) {
        ASSERT_TRUE(f.predictors[t].vif);
        EXPECT_NEAR(*f.predictors[t].vif, 1.0, 1e-12);
        ASSERT_TRUE(f.predictors[t].maxConfoundCorrelation);
        EXPECT_NEAR(*f.predictors[t].maxConfoundCorrelation, 0.0, 1e-12);
        EXPECT_EQ(f.predictors[t].maxConfoundName, "column 3");
    }
    EXPECT_EQ(f.rank, 4);
    EXPECT_EQ(f.nonZeroColumns, 4);
    ASSERT_TRUE(f.conditionNumber);
    EXPECT_NEAR(*f.conditionNumber, 1.0, 1e-12);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            ASSERT_TRUE(f.correlation[i][j]);
            EXPECT_NEAR(*f.correlation[i][j], i == j ? 1.0 : 0.0, 1e-12);
        }
}

TEST(MatrixFigures, AColumnThatIsTheSumOfTwoOthersMakesTheMatrixRankDeficient) {
    const auto a = noise(50, 1), b = noise(50, 2);
    std::vector<double> sum(50);
    for (int i = 0; i < 50; ++i) sum[i] = a[i] + b[i];
    const MatrixFigures f = figuresOf(matrixOf({a, b, sum, noise(50, 3)}, 3, true));
    EXPECT_EQ(f.nonZeroColumns, 5);
    EXPECT_EQ(f.rank, 4);
    EXPECT_FALSE(f.conditionNumber);
    for (int t = 0; t < 3; ++t) {
        EXPECT_FALSE(f.predictors[t].vif) << t;
        EXPECT_TRUE(f.predictors[t].vifInfinite) << t;
    }
}

TEST(MatrixFigures, AScaledCopyWithNoiseHasTheVifOfItsCorrelation) {
    const auto a = noise(200, 4), e = noise(200, 5);
    for (double noiseLevel : {0.05, 0.5, 3.0}) {
        std::vector<double> copy(200);
        for (int i = 0; i < 200; ++i) copy[i] = -3.0 * a[i] + 7.0 + noiseLevel * e[i];
        const MatrixFigures f = figuresOf(matrixOf({a, copy}, 2, true));
        const double r = pearson(a, copy);
        for (int t = 0; t < 2; ++t) {
            ASSERT_TRUE(f.predictors[t].vif);
            EXPECT_NEAR(*f.predictors[t].vif, 1.0 / (1.0 - r * r), 1e-9 / (1.0 - r * r)) << noiseLevel;
            EXPECT_FALSE(f.predictors[t].maxConfoundCorrelation);  // no confound columns
        }
        ASSERT_TRUE(f.correlation[0][1]);
        EXPECT_NEAR(*f.correlation[0][1], r, 1e-12);
        EXPECT_EQ(f.rank, 3);
    }
}

// With three columns, VIF_j is the j-th diagonal entry of the inverse correlation matrix.
TEST(MatrixFigures, VifsOfThreeColumnsAreTheDiagonalOfTheInverseCorrelationMatrix) {
    const auto x = noise(120, 6), y0 = noise(120, 7), z0 = noise(120, 8);
    std::vector<double> y(120), z(120);
    for (int i = 0; i < 120; ++i) y[i] = 0.8 * x[i] + 0.4 * y0[i], z[i] = 0.5 * x[i] - 0.6 * y[i] + 0.3 * z0[i];
    const double rxy = pearson(x, y), rxz = pearson(x, z), ryz = pearson(y, z);
    const double det = 1 + 2 * rxy * rxz * ryz - rxy * rxy - rxz * rxz - ryz * ryz;
    const double expected[] = {(1 - ryz * ryz) / det, (1 - rxz * rxz) / det, (1 - rxy * rxy) / det};
    // Without a constant column: the intercept of the fit comes from nowhere else.
    for (bool constant : {true, false}) {
        const MatrixFigures f = figuresOf(matrixOf({x, y, z}, 3, constant));
        for (int j = 0; j < 3; ++j) {
            ASSERT_TRUE(f.predictors[j].vif);
            EXPECT_NEAR(*f.predictors[j].vif, expected[j], 1e-9 * expected[j]) << j << constant;
        }
    }
}

// A repeated confound makes the matrix singular, which changes nothing in the fit of the
// task columns on the others.
TEST(MatrixFigures, ARepeatedConfoundLeavesTheTaskVifsAsTheyWere) {
    const auto x = noise(90, 15), y0 = noise(90, 16), c = noise(90, 17);
    std::vector<double> y(90);
    for (int i = 0; i < 90; ++i) y[i] = x[i] + 0.3 * y0[i];
    const MatrixFigures single = figuresOf(matrixOf({x, y, c}, 2, true));
    const MatrixFigures repeated = figuresOf(matrixOf({x, y, c, c}, 2, true));
    EXPECT_EQ(repeated.rank, 4);
    EXPECT_EQ(repeated.nonZeroColumns, 5);
    for (int t = 0; t < 2; ++t) {
        ASSERT_TRUE(single.predictors[t].vif && repeated.predictors[t].vif);
        EXPECT_NEAR(*repeated.predictors[t].vif, *single.predictors[t].vif, 1e-9 * *single.predictors[t].vif);
    }
}

// Nearly a sum: VIF = 1 / (1 − R²) with 1 − R² the noise's share, until it is below 1e-10.
TEST(MatrixFigures, NearlyASumHasTheVifOfItsNoiseUntilItCountsAsInfinite) {
    const auto a = noise(400, 18), b = noise(400, 19), e = noise(400, 20);
    for (double level : {1e-2, 1e-4, 1e-7}) {
        std::vector<double> sum(400);
        for (int i = 0; i < 400; ++i) sum[i] = a[i] + b[i] + level * e[i];
        const MatrixFigures f = figuresOf(matrixOf({a, b, sum}, 3, true));
        // The fit of a on b and the sum is the three-column formula of the inverse correlation.
        const double rab = pearson(a, b), ras = pearson(a, sum), rbs = pearson(b, sum);
        const double det = 1 + 2 * rab * ras * rbs - rab * rab - ras * ras - rbs * rbs;
        const double unexplained = det / (1 - rbs * rbs);
        if (unexplained > 1e-9) {
            ASSERT_TRUE(f.predictors[0].vif) << level;
            EXPECT_NEAR(1.0 / *f.predictors[0].vif, unexplained, 1e-3 * unexplained) << level;
            EXPECT_EQ(f.rank, 4) << level;
        } else {
            EXPECT_TRUE(f.predictors[0].vifInfinite) << level;
            EXPECT_FALSE(f.predictors[0].vif) << level;
        }
    }
}

// Two columns of unit length at an angle θ have the singular values √(1 ± cos θ).
TEST(MatrixFigures, ConditionNumberOfTwoColumnsAtAnAngle) {
    for (double theta : {0.3, 1.0, std::numbers::pi / 2}) {
        std::vector<double> a = {1, 0, 0}, b = {1000 * std::cos(theta), 1000 * std::sin(theta), 0};
        const MatrixFigures f = figuresOf(matrixOf({a, b}, 0, false));
        const double c = std::fabs(std::cos(theta));
        ASSERT_TRUE(f.conditionNumber);
        EXPECT_NEAR(*f.conditionNumber, std::sqrt((1 + c) / (1 - c)), 1e-12) << theta;
        EXPECT_EQ(f.rank, 2);
    }
}

TEST(MatrixFigures, ColumnsWithoutVarianceHaveNoCorrelationAndNoVif) {
    const std::vector<double> empty(8, 0.0), flat(8, 0.25);
    const MatrixFigures f = figuresOf(matrixOf({hadamard[0], empty, hadamard[1], hadamard[2]}, 2, true));
    EXPECT_TRUE(f.predictors[1].withoutVariance);
    EXPECT_FALSE(f.predictors[1].vif);
    EXPECT_FALSE(f.predictors[1].vifInfinite);  // not a combination of others, just empty
    EXPECT_FALSE(f.predictors[1].maxConfoundCorrelation);
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(f.correlation[1][i]);
        EXPECT_FALSE(f.correlation[i][1]);
        EXPECT_FALSE(f.correlation[4][i]);  // the constant
    }
    // An all-zero column stays out of rank and condition number.
    EXPECT_EQ(f.nonZeroColumns, 4);
    EXPECT_EQ(f.rank, 4);
    EXPECT_NEAR(f.conditionNumber.value_or(0), 1.0, 1e-12);
    ASSERT_TRUE(f.predictors[0].vif);
    EXPECT_NEAR(*f.predictors[0].vif, 1.0, 1e-12);

    // A flat column that is not zero is parallel to the constant.
    const MatrixFigures g = figuresOf(matrixOf({hadamard[0], flat}, 2, true));
    EXPECT_TRUE(g.predictors[1].withoutVariance);
    EXPECT_EQ(g.nonZeroColumns, 3);
    EXPECT_EQ(g.rank, 2);
    EXPECT_FALSE(g.conditionNumber);
}

TEST(MatrixFigures, StrongestConfoundIsTheLargestMagnitude) {
    const auto t = noise(100, 9), n1 = noise(100, 10), n2 = noise(100, 11);
    std::vector<double> against(100), along(100);
    for (int i = 0; i < 100; ++i) against[i] = -t[i] + 0.2 * n1[i], along[i] = t[i] + 1.5 * n2[i];
    const MatrixFigures f = figuresOf(matrixOf({t, along, against}, 1, true));
    ASSERT_TRUE(f.predictors[0].maxConfoundCorrelation);
    EXPECT_NEAR(*f.predictors[0].maxConfoundCorrelation, std::fabs(pearson(t, against)), 1e-12);
    EXPECT_EQ(f.predictors[0].maxConfoundName, "column 3");
    EXPECT_LT(*f.correlation[0][2], 0.0);  // the sign stays in the correlation matrix
}

TEST(MatrixFigures, ExtremeMagnitudesGiveTheFiguresOfOrdinaryOnes) {
    const auto a = noise(60, 12), b = noise(60, 13), c = noise(60, 14);
    const MatrixFigures plain = figuresOf(matrixOf({a, b, c}, 2, true));
    for (double scale : {1e300, 1e-310, 1e-300}) {
        std::vector<double> scaled(60);
        for (int i = 0; i < 60; ++i) scaled[i] = b[i] * scale;
        const MatrixFigures f = figuresOf(matrixOf({a, scaled, c}, 2, true));
        for (int t = 0; t < 2; ++t) {
            ASSERT_TRUE(f.predictors[t].vif) << scale;
            EXPECT_NEAR(*f.predictors[t].vif, *plain.predictors[t].vif, 1e-6) << scale;
        }
        EXPECT_NEAR(f.conditionNumber.value_or(-1), *plain.conditionNumber, 1e-6) << scale;
    }
}

TEST(MatrixFigures, ColumnKindsFollowTheHeader) {
    struct Case {
        int columns, firstConfound, includesConstant;
        std::vector<ColumnKind> kinds;
    };
    using K = ColumnKind;
    const Case cases[] = {
        {4, 3, 1, {K::Task, K::Task, K::Confound, K::Constant}},
        {4, 3, 0, {K::Task, K::Task, K::Confound, K::Confound}},
        {2, 2, 1, {K::Task, K::Constant}},  // the host's own design matrix
        {3, 9, 1, {K::Task, K::Task, K::Constant}},
        {3, 1, 1, {K::Confound, K::Confound, K::Constant}},
        {3, -5, 0, {K::Confound, K::Confound, K::Confound}},
        {2, 2, 2, {K::Task, K::Confound}},  // only 1 declares a constant
        {0, 1, 1, {}},
    };
    for (const Case& c : cases) {
        SdmContent matrix;
        matrix.names.assign(static_cast<std::size_t>(c.columns), "x");
        matrix.firstConfoundPredictor = c.firstConfound;
        matrix.includesConstant = c.includesConstant;
        EXPECT_EQ(columnKinds(matrix), c.kinds) << c.columns << " " << c.firstConfound << " " << c.includesConstant;
    }
}

TEST(MatrixFigures, DegenerateShapesGiveNoNumbersThatAreNotNumbers) {
    struct Case {
        const char* what;
        SdmContent matrix;
        int rank, nonZero;
    };
    const Case cases[] = {
        {"one row", matrixOf({{0.5}, {2.0}, {-1.0}}, 2, true), 1, 4},
        {"no columns", matrixOf({}, 0, false), 0, 0},
        {"no rows", matrixOf({{}, {}}, 1, false), 0, 0},
        {"two rows", matrixOf({{0.0, 1.0}, {2.0, 1.0}}, 1, true), 2, 3},
    };
    for (const Case& c : cases) {
        const MatrixFigures f = figuresOf(c.matrix);
        EXPECT_EQ(f.rank, c.rank) << c.what;
        EXPECT_EQ(f.nonZeroColumns, c.nonZero) << c.what;
        EXPECT_TRUE(std::isfinite(f.conditionNumber.value_or(1.0))) << c.what;
        for (const auto& row : f.correlation)
            for (const auto& r : row) EXPECT_TRUE(std::isfinite(r.value_or(0.0))) << c.what;
        for (const PredictorFigures& p : f.predictors) EXPECT_GE(p.vif.value_or(1.0), 1.0) << c.what;
    }
}

TEST(MatrixFigures, ValuesThatAreNotNumbersAreNamed) {
    for (double bad : {std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity()}) {
        SdmContent matrix = matrixOf({{1, 2, 3}, {4, 5, 6}}, 1, true);
        matrix.values[4] = bad;  // data point 2, predictor 2
        const ParseResult<MatrixFigures> f = matrixFigures(matrix);
        ASSERT_FALSE(f);
        EXPECT_NE(f.error.find("data point 2 of predictor \"column 2\""), std::string::npos) << f.error;
        EXPECT_NE(f.error.find(std::isnan(bad) ? "NaN" : "infinite"), std::string::npos) << f.error;
    }
}

}  // namespace
}  // namespace morvane
