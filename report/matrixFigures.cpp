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

// Rank and condition number of the non-zero columns, each scaled to unit Euclidean norm.
void rankAndCondition(const Matrix& maxScaled, MatrixFigures& figures) {
    std::vector<Eigen::Index> kept;  // a matrix without rows has only empty columns
    for (Eigen::Index c = 0; c < maxScaled.cols() && maxScaled.rows() > 0; ++c)
        if (maxScaled.col(c).cwiseAbs().maxCoeff() > 0.0) kept.push_back(c);
    figures.nonZeroColumns = static_cast<int>(kept.size());
    if (kept.empty()) {
        figures.rank = 0;
        return;
    }
    Matrix unit(maxScaled.rows(), static_cast<Eigen::Index>(kept.size()));
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const auto column = maxScaled.col(kept[i]);
        unit.col(static_cast<Eigen::Index>(i)) = column / column.norm();  // entries within ±1: no overflow
    }
    const Eigen::JacobiSVD<Matrix> svd(unit);
    const Vector& sigma = svd.singularValues();  // descending
    const double tolerance =
        sigma(0) * static_cast<double>(std::max(unit.rows(), unit.cols())) * machineEpsilon;
    const int rank = static_cast<int>((sigma.array() > tolerance).count());
    figures.rank = rank;
    if (rank == figures.nonZeroColumns) figures.conditionNumber = sigma(0) / sigma(rank - 1);
}

// Pearson r of the columns with variance, and each task column's VIF, from one QR of those
// columns centred and scaled to unit length: the fit of a column on all others plus an
// intercept is the fit of its centred values on the others' centred values, and Q keeps
// lengths, so each fit is done on the small triangular factor.
void correlationAndVif(const Matrix& maxScaled, const std::vector<ColumnKind>& kinds, MatrixFigures& figures) {
    const Eigen::Index rows = maxScaled.rows();
    const std::size_t columns = kinds.size();
    std::vector<Eigen::Index> varying;  // indices into the file's columns
    for (std::size_t c = 0; c < columns; ++c)
        if (!figures.predictors[c].withoutVariance) varying.push_back(static_cast<Eigen::Index>(c));
    const auto k = static_cast<Eigen::Index>(varying.size());

    figures.correlation.assign(columns, std::vector<std::optional<double>>(columns));
    if (k == 0) return;
    Matrix centred(rows, k);
    for (Eigen::Index i = 0; i < k; ++i) {
        const auto column = maxScaled.col(varying[static_cast<std::size_t>(i)]);
        centred.col(i) = column.array() - column.mean();
        centred.col(i) /= centred.col(i).norm();
    }
    // Values that differ only in their last bits can still centre to nothing.
    for (Eigen::Index i = k - 1; i >= 0; --i) {
        if (centred.col(i).allFinite()) continue;
        figures.predictors[static_cast<std::size_t>(varying[static_cast<std::size_t>(i)])].withoutVariance = true;
        varying.erase(varying.begin() + i);
    }
    if (varying.size() != static_cast<std::size_t>(k)) {
        correlationAndVif(maxScaled, kinds, figures);
        return;
    }
    const Eigen::HouseholderQR<Matrix> qr(centred);
    const Eigen::Index factorRows = std::min(rows, k);
    const Matrix r = qr.matrixQR().topRows(factorRows).triangularView<Eigen::Upper>();
    const Matrix gram = r.transpose() * r;  // Zᵀ Z = Rᵀ Qᵀ Q R

    const auto shown = [&](std::size_t c) { return kinds[c] != ColumnKind::Constant; };
    for (Eigen::Index i = 0; i < k; ++i) {
        const auto ci = static_cast<std::size_t>(varying[static_cast<std::size_t>(i)]);
        for (Eigen::Index j = 0; j < k; ++j) {
            const auto cj = static_cast<std::size_t>(varying[static_cast<std::size_t>(j)]);
            if (!shown(ci) || !shown(cj)) continue;
            figures.correlation[ci][cj] = i == j ? 1.0 : std::clamp(gram(i, j), -1.0, 1.0);
        }
    }

    for (Eigen::Index i = 0; i < k; ++i) {
        const auto column = static_cast<std::size_t>(varying[static_cast<std::size_t>(i)]);
        PredictorFigures& predictor = figures.predictors[column];
        if (predictor.kind != ColumnKind::Task) continue;
        const Vector target = r.col(i);
        double unexplained = 1.0;  // 1 − R²: the residual's share of the column's squared length
        if (k > 1) {
            Matrix others(factorRows, k - 1);
            others.leftCols(i) = r.leftCols(i);
            others.rightCols(k - 1 - i) = r.rightCols(k - 1 - i);
            // The others may be dependent among themselves (a constant column plus the
            // intercept, a confound repeated): a rank-revealing solve gives the fit anyway.
            const Eigen::CompleteOrthogonalDecomposition<Matrix> fit(others);
            const Vector residual = target - others * fit.solve(target);
            unexplained = residual.squaredNorm() / target.squaredNorm();
        }
        if (unexplained <= perfectFitTolerance)
            predictor.vifInfinite = true;
        else
            predictor.vif = std::max(1.0, 1.0 / std::min(unexplained, 1.0));
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
            column = column.unaryExpr([exponent](double v) { return std::ldexp(v, -exponent); });
        }
        figures.predictors.push_back(std::move(predictor));
    }
    rankAndCondition(maxScaled, figures);
    correlationAndVif(maxScaled, kinds, figures);
    strongestConfounds(kinds, figures);
    return ParseResult<MatrixFigures>::success(std::move(figures));
}

}  // namespace morvane
