// Hand-made motion files and design matrices for the confound-model tests.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "formats/sdmFile.h"

namespace morvane::testing {

inline const std::vector<std::string> motionNames = {"Translation MN-X [mm]", "Translation MN-Y [mm]",
                                                     "Translation MN-Z [mm]", "Rotation MN-X [deg]",
                                                     "Rotation MN-Y [deg]",   "Rotation MN-Z [deg]"};

inline SdmContent motionOf(const std::vector<std::array<double, 6>>& rows) {
    SdmContent content;
    content.names = motionNames;
    content.colors = {{255, 50, 50}, {50, 255, 50}, {50, 50, 255}, {255, 255, 0}, {255, 0, 255}, {0, 255, 255}};
    content.dataPoints = static_cast<int>(rows.size());
    for (const auto& row : rows) content.values.insert(content.values.end(), row.begin(), row.end());
    return content;
}

// Task predictors "Task 1".."Task N" with values row + 10 * predictor, then the constant.
inline SdmContent designMatrixOf(int rows, int tasks, bool constant = true) {
    SdmContent content;
    content.dataPoints = rows;
    content.includesConstant = constant ? 1 : 0;
    content.firstConfoundPredictor = tasks + 1;
    for (int p = 0; p < tasks; ++p) {
        content.names.push_back("Task " + std::to_string(p + 1));
        content.colors.push_back({p * 20, 100, 200});
    }
    if (constant) {
        content.names.push_back("Constant");
        content.colors.push_back({255, 255, 255});
    }
    for (int row = 0; row < rows; ++row) {
        for (int p = 0; p < tasks; ++p) content.values.push_back(row + 10.0 * (p + 1));
        if (constant) content.values.push_back(1.0);
    }
    return content;
}

// A column of a content by its name; empty when there is none.
inline std::vector<double> columnNamed(const SdmContent& content, const std::string& name) {
    std::vector<double> values;
    for (int p = 0; p < content.predictorCount(); ++p) {
        if (content.names[static_cast<std::size_t>(p)] != name) continue;
        for (int row = 0; row < content.dataPoints; ++row) values.push_back(content.value(row, p));
    }
    return values;
}

}  // namespace morvane::testing
