// Design matrices built in memory from their columns, and the figures computed the plain way
// (two-pass sums, Cramer's rule) to compare the report's against.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "formats/sdmFile.h"

namespace morvane::testing {

using Columns = std::vector<std::vector<double>>;

// Columns in file order; `tasks` columns before the confounds; a constant appended when asked.
inline SdmContent matrixOf(const Columns& columns, int tasks, bool constant) {
    SdmContent matrix;
    const std::size_t rows = columns.empty() ? 0 : columns.front().size();
    matrix.dataPoints = static_cast<int>(rows);
    matrix.firstConfoundPredictor = tasks + 1;
    matrix.includesConstant = constant ? 1 : 0;
    for (std::size_t c = 0; c < columns.size(); ++c) matrix.names.push_back("column " + std::to_string(c + 1));
    if (constant) matrix.names.push_back("Constant");
    matrix.colors.resize(matrix.names.size());
    for (std::size_t r = 0; r < rows; ++r) {
        for (const auto& column : columns) matrix.values.push_back(column[r]);
        if (constant) matrix.values.push_back(1.0);
    }
    return matrix;
}

inline double pearson(const std::vector<double>& x, const std::vector<double>& y) {
    const double n = static_cast<double>(x.size());
    double mx = 0, my = 0;
    for (std::size_t i = 0; i < x.size(); ++i) mx += x[i], my += y[i];
    mx /= n, my /= n;
    double sxy = 0, sxx = 0, syy = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sxy += (x[i] - mx) * (y[i] - my);
        sxx += (x[i] - mx) * (x[i] - mx);
        syy += (y[i] - my) * (y[i] - my);
    }
    return sxy / std::sqrt(sxx * syy);
}

// Deterministic noise in [-1, 1] (a linear congruential sequence).
inline std::vector<double> noise(std::size_t n, unsigned seed) {
    std::vector<double> values(n);
    unsigned long long state = seed * 2654435761ULL + 1;
    for (double& v : values) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        v = static_cast<double>(state >> 11) / static_cast<double>(1ULL << 53) * 2.0 - 1.0;
    }
    return values;
}

}  // namespace morvane::testing
