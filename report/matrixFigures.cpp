#include "report/matrixFigures.h"

#include <Eigen/Dense>
#include <Eigen/QR>
#include <Eigen/SVD>
#include <algorithm>
#include <cmath>
#include <limits>

#include "formats/textFormat.h"

namespace morvane {
namespace {

using Matrix = Eigen::MatrixXd;
using Vector = Eigen::VectorXd;
using RowMajorMatrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;

constexpr double machineEpsilon = 2.2e-16;

// One Householder QR serves every figure. Its matrix holds a column of ones first, then each
// non-zero column scaled to unit length: the triangular factor without its first column has
// the singular values of the unit-length columns, and its rows after the first are the
// coordinates of those columns once centred (the first row is their part along the ones), in
// an orthonormal basis. Pearson r and the fit of one column on the others plus an intercept
// then need only that small factor.
struct Factor {
    std::vector<Eigen::Index> columns;  // the file's columns that are not all zero
    Matrix r;                           // (rows of the factor) x (1 + columns.size())
};

Factor factorOf(const Matrix& maxScaled) {
    Factor factor;
    const Eigen::Index rows = maxScaled.rows();
    for (Eigen::Index c = 0; c < maxScaled.cols() && rows > 0; ++c)  // no rows: only empty columns
        if (maxScaled.col(c).cwiseAbs().maxCoeff() > 0.0) factor.columns.push_back(c);
    const auto kept = static_cast<Eigen::Index>(factor.columns.size());
    if (kept == 0) return factor;
    Matrix withOnes(rows, kept + 1);
    withOnes.col(0).setConstant(1.0 / std::sqrt(static_cast<double>(rows)));
    for (Eigen::Index i = 0; i < kept; ++i) {
        const auto column = maxScaled.col(factor.columns[static_cast<std::size_t>(i)]);
        withOnes.col(i + 1) = column / column.norm();  // entries within ±1: no overflow
    }
    const Eigen::HouseholderQR<Matrix> qr(withOnes);
    factor.r = qr.matrixQR().topRows(std::min(rows, kept + 1)).triangularView<Eigen::Upper>();
    return factor;
}

// Rank by SVD with tolerance σmax · max(rows, columns) · ε, condition number σmax/σmin.
void rankAndCondition(const Factor& factor, Eigen::Index rows, MatrixFigures& figures) {
    figures.nonZeroColumns = static_cast<int>(factor.columns.size());
    figures.rank = 0;
    if (factor.columns.empty()) return;
    const Eigen::BDCSVD<Matrix> svd(factor.r.rightCols(factor.r.cols() - 1));
    const Vector& sigma = svd.singularValues();  // descending
    const double tolerance =
        sigma(0) * static_cast<double>(std::max<Eigen::Index>(rows, figures.nonZeroColumns)) * machineEpsilon;
    const int rank = static_cast<int>((sigma.array() > tolerance).count());
    figures.rank = rank;
    if (rank == figures.nonZeroColumns) figures.conditionNumber = sigma(0) / sigma(rank - 1);
}

// 1 − R² of each wanted column of z (centred, unit length) fitted on all the others. With
// independent columns it is 1 / (C⁻¹)ⱼⱼ for the correlation matrix C = ZᵀZ = Rᵀ R, the squared
// length of row j of R⁻¹ inverted: one pivoted QR for all columns. Dependent columns (a
// confound repeated, a column that sums others) leave R singular; then each wanted column is
// fitted on the others with a rank-revealing solve of its own.
template <typename Wanted>
std::vector<double> unexplainedShares(const Matrix& z, const Wanted& wanted) {
    const Eigen::Index k = z.cols();
    std::vector<double> shares(static_cast<std::size_t>(k), 1.0);
    if (k < 2) return shares;
    const Eigen::ColPivHouseholderQR<Matrix> qr(z);
    if (qr.rank() == k) {
        const Matrix inverse = qr.matrixR().topRows(k).triangularView<Eigen::Upper>().solve(Matrix::Identity(k, k));
        const auto& order = qr.colsPermutation().indices();  // file column at each pivot position
        for (Eigen::Index position = 0; position < k; ++position) {
            const Eigen::Index i = order(position);
            if (wanted(i)) shares[static_cast<std::size_t>(i)] = 1.0 / inverse.row(position).squaredNorm();
        }
        return shares;
    }
    for (Eigen::Index i = 0; i < k; ++i) {
        if (!wanted(i)) continue;
        Matrix others(z.rows(), k - 1);
        others.leftCols(i) = z.leftCols(i);
        others.rightCols(k - 1 - i) = z.rightCols(k - 1 - i);
        const Eigen::CompleteOrthogonalDecomposition<Matrix> fit(others);
        const Vector residual = z.col(i) - others * fit.solve(z.col(i));
        shares[static_cast<std::size_t>(i)] = residual.squaredNorm();
    }
    return shares;
}

// Pearson r of the columns with variance, and each task column's VIF: the fit of a column on
// all others plus an intercept is the fit of its centred coordinates on the others'.
void correlationAndVif(const Factor& factor, const std::vector<ColumnKind>& kinds, MatrixFigures& figures) {
    const std::size_t columns = kinds.size();
    figures.correlation.assign(columns, std::vector<std::optional<double>>(columns));
    const Eigen::Index centredRows = factor.r.rows() - 1;
    std::vector<Eigen::Index> varying;  // indices into the file's columns
    std::vector<Vector> coordinates;    // of each varying column, centred and of unit length
    for (std::size_t i = 0; i < factor.columns.size() && centredRows > 0; ++i) {
        const auto column = static_cast<std::size_t>(factor.columns[i]);
        if (figures.predictors[column].withoutVariance) continue;
        Vector centred = factor.r.col(static_cast<Eigen::Index>(i) + 1).tail(centredRows);
        const double length = centred.norm();
        // Values that differ only in their last bits can still centre to nothing.
        if (!(length > 0.0) || !std::isfinite(length)) {
            figures.predictors[column].withoutVariance = true;
            continue;
        }
        varying.push_back(static_cast<Eigen::Index>(column));
        coordinates.push_back(centred / length);
    }
    const auto k = static_cast<Eigen::Index>(varying.size());
    if (k == 0) return;
    Matrix z(centredRows, k);
    for (Eigen::Index i = 0; i < k; ++i) z.col(i) = coordinates[static_cast<std::size_t>(i)];
    const Matrix gram = z.transpose() * z;

    const auto shown = [&](std::size_t c) { return kinds[c] != ColumnKind::Constant; };
    for (Eigen::Index i = 0; i < k; ++i) {
        const auto ci = static_cast<std::size_t>(varying[static_cast<std::size_t>(i)]);
        for (Eigen::Index j = 0; j < k; ++j) {
            const auto cj = static_cast<std::size_t>(varying[static_cast<std::size_t>(j)]);
            if (!shown(ci) || !shown(cj)) continue;
            figures.correlation[ci][cj] = i == j ? 1.0 : std::clamp(gram(i, j), -1.0, 1.0);
        }
    }

    const std::vector<double> unexplained = unexplainedShares(z, [&](Eigen::Index i) {
        return kinds[static_cast<std::size_t>(varying[static_cast<std::size_t>(i)])] == ColumnKind::Task;
    });
    for (Eigen::Index i = 0; i < k; ++i) {
        PredictorFigures& predictor = figures.predictors[static_cast<std::size_t>(varying[static_cast<std::size_t>(i)])];
        if (predictor.kind != ColumnKind::Task) continue;
        const double share = unexplained[static_cast<std::size_t>(i)];
        if (share <= perfectFitTolerance)
            predictor.vifInfinite = true;
        else
            predictor.vif = std::max(1.0, 1.0 / std::min(share, 1.0));
    }
}

void strongestConfounds(const std::vector<ColumnKind>& kinds, MatrixFigures& figures) {
    const bool anyConfound = std::find(kinds.begin(), kinds.end(), ColumnKind::Confound) != kinds.end();
    if (!anyConfound) return;
    for (std::size_t t = 0; t < kinds.size(); ++t) {
        if (kinds[t] != ColumnKind::Task) continue;
        for (std::size_t c = 0; c < kinds.size(); ++c) {
            const std::optional<double>& r = figures.correlation[t][c];
            if (kinds[c] != ColumnKind::Confound || !r) continue;
            PredictorFigures& task = figures.predictors[t];
            if (!task.maxConfoundCorrelation || std::fabs(*r) > *task.maxConfoundCorrelation) {
                task.maxConfoundCorrelation = std::fabs(*r);
                task.maxConfoundName = figures.predictors[c].name;
            }
        }
    }
}

}  // namespace

void prepareFiguresForThreads() { Eigen::initParallel(); }

std::vector<ColumnKind> columnKinds(const SdmContent& matrix) {
    const int columns = matrix.predictorCount();
    std::vector<ColumnKind> kinds(static_cast<std::size_t>(columns), ColumnKind::Confound);
    const int taskColumns = std::clamp(matrix.firstConfoundPredictor - 1, 0, columns);
    std::fill_n(kinds.begin(), taskColumns, ColumnKind::Task);
    if (matrix.includesConstant == 1 && columns > 0) kinds.back() = ColumnKind::Constant;
    return kinds;
}

ParseResult<MatrixFigures> matrixFigures(const SdmContent& matrix) {
    const int rows = std::max(matrix.dataPoints, 0);
    const int columns = matrix.predictorCount();
    if (matrix.values.size() != static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns))
        return ParseResult<MatrixFigures>::failure(
            formatText("the design matrix holds %zu values for %d data points of %d predictors", matrix.values.size(),
                       rows, columns));
    const auto nonFinite = std::find_if(matrix.values.begin(), matrix.values.end(),
                                        [](double v) { return !std::isfinite(v); });
    if (nonFinite != matrix.values.end()) {
        const auto at = static_cast<std::size_t>(nonFinite - matrix.values.begin());
        const auto column = at % static_cast<std::size_t>(columns);
        return ParseResult<MatrixFigures>::failure(formatText(
            "the design matrix holds a value that is not a finite number (%s) at data point %zu of predictor \"%s\"",
            std::isnan(*nonFinite) ? "NaN" : "infinite", at / static_cast<std::size_t>(columns) + 1,
            visibleText(matrix.names[column]).c_str()));
    }

    const std::vector<ColumnKind> kinds = columnKinds(matrix);
    MatrixFigures figures;
    Matrix maxScaled = Eigen::Map<const RowMajorMatrix>(matrix.values.data(), rows, columns);
    for (int c = 0; c < columns; ++c) {
        PredictorFigures predictor;
        predictor.name = matrix.names[static_cast<std::size_t>(c)];
        predictor.kind = kinds[static_cast<std::size_t>(c)];
        auto column = maxScaled.col(c);
        predictor.withoutVariance = rows == 0 || column.minCoeff() == column.maxCoeff();
        // Scaling by the power of two at the largest magnitude keeps every later sum of
        // squares in range, for values near the largest double as for subnormal ones, and
        // changes no value but its exponent.
        const double largest = rows == 0 ? 0.0 : column.cwiseAbs().maxCoeff();
        if (largest > 0.0) {
            int exponent = 0;
            std::frexp(largest, &exponent);
            if (exponent > -1000 && exponent < 1000)  // a factor that is a normal double: exact products
                column *= std::ldexp(1.0, -exponent);
            else
                column = column.unaryExpr([exponent](double v) { return std::ldexp(v, -exponent); });
        }
        figures.predictors.push_back(std::move(predictor));
    }
    const Factor factor = factorOf(maxScaled);
    rankAndCondition(factor, rows, figures);
    correlationAndVif(factor, kinds, figures);
    strongestConfounds(kinds, figures);
    return ParseResult<MatrixFigures>::success(std::move(figures));
}

}  // namespace morvane
