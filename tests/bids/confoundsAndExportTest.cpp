#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "bids/confoundsToMotion.h"
#include "bids/designMatrixExport.h"
#include "formats/motionColumns.h"

namespace morvane {
namespace {

ParseResult<ImportedMotion> importText(const std::string& text) {
    const auto table = parseTsvTable(text, "c.tsv");
    if (!table) return ParseResult<ImportedMotion>::failure(table.error);
    return motionFromConfounds(*table.value);
}

const std::string motionHeader = "global_signal\ttrans_x\ttrans_x_derivative1\ttrans_y\ttrans_z\trot_x\trot_y\trot_z\n";

TEST(ConfoundsToMotion, TheHostsSixColumnsWithRotationsInDegrees) {
    const auto imported = importText(motionHeader +
                                     "512.3\t-0.0123\tn/a\t1.5e-05\t+0.25\t0.0017453292519943296\t-3.1415926535897931\t0\n"
                                     "510.9\t2E-3\t0.0143\t-4.1e-07\t0.3\t1e-300\t0.5\t-0\n");
    ASSERT_TRUE(imported) << imported.error;
    const SdmContent& motion = imported.value->motion;
    EXPECT_EQ(motion.fileVersion, 1);
    EXPECT_EQ(motion.includesConstant, 0);
    EXPECT_EQ(motion.firstConfoundPredictor, 1);
    EXPECT_EQ(motion.dataPoints, 2);
    ASSERT_EQ(motion.names.size(), 6u);
    for (std::size_t m = 0; m < 6; ++m) {
        EXPECT_EQ(motion.names[m], hostMotionColumns[m].name);
        EXPECT_EQ(motion.colors[m], hostMotionColumns[m].color);
    }
    const double degrees = 180.0 / std::numbers::pi;
    const std::vector<double> expected = {-0.0123, 1.5e-05,  0.25, 0.0017453292519943296 * degrees, -3.1415926535897931 * degrees, 0,
                                          0.002,   -4.1e-07, 0.3,  1e-300 * degrees,                0.5 * degrees,                 0};
    ASSERT_EQ(motion.values.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_DOUBLE_EQ(motion.values[i], expected[i]) << i;
    EXPECT_NEAR(motion.value(0, 3), 0.1, 1e-12);
    EXPECT_NEAR(motion.value(0, 4), -180.0, 1e-12);
    EXPECT_TRUE(imported.value->warnings.empty());

    // As the host writes motion files: six digits, never two values touching.
    const std::string text = sdmText(motion);
    EXPECT_NE(text.find("\"Translation MN-X [mm]\" \"Translation MN-Y [mm]\" \"Translation MN-Z [mm]\" "
                        "\"Rotation MN-X [deg]\" \"Rotation MN-Y [deg]\" \"Rotation MN-Z [deg]\"\n"
                        "     -0.0123     1.5e-05        0.25         0.1        -180           0\n"),
              std::string::npos)
        << text;
    const auto reread = parseSdm(text);
    ASSERT_TRUE(reread) << reread.error;
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(reread.value->values[i], expected[i], std::abs(expected[i]) * 5e-6) << i;
}

TEST(ConfoundsToMotion, NotAvailableIsZeroInTheFirstRowOnly) {
    const auto imported = importText(motionHeader + "1\tn/a\tn/a\tn/a\t0.1\tn/a\t0.2\t0.3\n2\t0.1\t0.2\t0.3\t0.4\t0.5\t0.6\t0.7\n");
    ASSERT_TRUE(imported) << imported.error;
    EXPECT_EQ(imported.value->motion.value(0, 0), 0.0);
    EXPECT_EQ(imported.value->motion.value(0, 1), 0.0);
    EXPECT_EQ(imported.value->motion.value(0, 3), 0.0);
    EXPECT_EQ(imported.value->motion.value(1, 0), 0.1);
    EXPECT_EQ(imported.value->warnings,
              std::vector<std::string>{"c.tsv, line 2: n/a in 3 of the motion columns taken as 0"});
}

TEST(ConfoundsToMotion, RefusalsNameTheTableTheLineAndTheColumn) {
    const std::string first = "0\t0\tn/a\t0\t0\t0\t0\t0\n";
    struct Case {
        const char* what;
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {"a column missing", "trans_x\ttrans_y\ttrans_z\trot_x\trot_y\n0\t0\t0\t0\t0\n",
         "c.tsv, line 1: no column \"rot_z\" in the header line (its columns: trans_x, trans_y, trans_z, rot_x, rot_y)"},
        {"n/a after the first row", motionHeader + first + "0\t0\t0\t0\tn/a\t0\t0\t0\n",
         "c.tsv, line 3, column \"trans_z\": expected a number, found n/a (taken in the first row only)"},
        {"a word", motionHeader + first + "0\t0\t0\t0\t0\t0\tnan\t0\n", "c.tsv, line 3, column \"rot_y\": expected a number, found \"nan\""},
        {"an empty cell", motionHeader + first + "0\t\t0\t0\t0\t0\t0\t0\n",
         "c.tsv, line 3, column \"trans_x\": expected a number, found an empty cell"},
        {"a rotation beyond degrees", motionHeader + first + "0\t0\t0\t0\t0\t0\t0\t1e307\n",
         "c.tsv, line 3, column \"rot_z\": the rotation is too large to hold in degrees"},
        {"no row", motionHeader, "c.tsv, line 2: no row; the table holds a header line only"},
        {"ragged", motionHeader + "0\t0\n", "c.tsv, line 2: 2 cell(s) where the header has 8 columns"},
    };
    for (const Case& c : cases) {
        const auto imported = importText(c.text);
        ASSERT_FALSE(imported) << c.what;
        EXPECT_EQ(imported.error.rfind(c.message, 0), 0u) << c.what << ": " << imported.error;
    }
}

SdmContent matrix(std::vector<std::string> names, std::vector<double> values, int includesConstant) {
    SdmContent content;
    content.names = std::move(names);
    content.colors.assign(content.names.size(), Rgb{1, 2, 3});
    content.values = std::move(values);
    content.dataPoints = static_cast<int>(content.values.size() / content.names.size());
    content.includesConstant = includesConstant;
    return content;
}

TEST(DesignMatrixExport, TabSeparatedWithTheShortestNumbersAndTheConstantNamed) {
    const SdmContent content = matrix({"Faces in LVF", "Rotation MN-X [deg]", "Constant"},
                                      {0.1, -1e-300, 1, 1.0 / 3.0, 123456789.0, 1, -0.0, 5e-324, 1}, 1);
    const auto tsv = designMatrixTsv(content);
    ASSERT_TRUE(tsv) << tsv.error;
    EXPECT_EQ(*tsv.value,
              "Faces in LVF\tRotation MN-X [deg]\tconstant\n"
              "0.1\t-1e-300\t1\n"
              "0.3333333333333333\t123456789\t1\n"
              "-0\t5e-324\t1\n");
    const auto fsl = designMatrixFsl(content);
    ASSERT_TRUE(fsl) << fsl.error;
    EXPECT_EQ(*fsl.value,
              "/NumWaves\t2\n/NumPoints\t3\n/PPheights\t0.3333333333333333\t123456789\n\n/Matrix\n"
              "0.1\t-1e-300\n"
              "0.3333333333333333\t123456789\n"
              "-0\t5e-324\n");
}

TEST(DesignMatrixExport, WhichColumnIsTheConstant) {
    struct Case {
        const char* what;
        SdmContent content;
        std::optional<std::size_t> constant;
    };
    const Case cases[] = {
        {"the host's, last", matrix({"A", "Constant"}, {0, 1, 2, 1}, 1), 1},
        {"named in any case, not last", matrix({"constant", "B", "C"}, {3, 1, 1, 3, 1, 1}, 1), 0},
        {"without a name, the last alike column", matrix({"A", "ones", "twos"}, {0, 1, 2, 5, 1, 2}, 1), 2},
        {"not declared", matrix({"A", "Constant"}, {0, 1, 2, 1}, 0), std::nullopt},
        {"declared but nothing alike", matrix({"A", "Constant"}, {0, 1, 2, 3}, 1), std::nullopt},
        {"zeros are no constant", matrix({"A", "Constant"}, {0, 0, 2, 0}, 1), std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(constantColumn(c.content), c.constant) << c.what;
    // A motion file has no constant: every column is written, also for FSL.
    const auto fsl = designMatrixFsl(matrix({"X", "Y"}, {1, 1, 1, 1}, 0));
    ASSERT_TRUE(fsl) << fsl.error;
    EXPECT_EQ(fsl.value->rfind("/NumWaves\t2\n/NumPoints\t2\n/PPheights\t0\t0\n", 0), 0u) << *fsl.value;
}

TEST(DesignMatrixExport, WhatATableCannotCarryIsRefused) {
    struct Case {
        const char* what;
        SdmContent content;
        bool fsl;
        std::string message;
    };
    const Case cases[] = {
        {"tab in a name", matrix({"a\tb", "C"}, {1, 2}, 0), false,
         "the predictor name \"a\tb\" holds a tab or a line break, which a table's header cannot"},
        {"line break in a name", matrix({"a\nb"}, {1}, 0), false, "the predictor name \"a\\x0Ab\" holds a tab or a line break"},
        {"no name", matrix({"A", " "}, {1, 2}, 0), false, "predictor 2 has no name, which a table's header needs"},
        {"not a number", matrix({"A", "B"}, {1, 2, 3, std::nan("")}, 0), false,
         "data point 2, predictor \"B\" holds no number, which a table of numbers cannot carry"},
        {"infinite for FSL", matrix({"A", "B"}, {1, -HUGE_VAL}, 0), true,
         "data point 1, predictor \"B\" holds an infinite value"},
        {"a spread beyond doubles for FSL", matrix({"A"}, {-1.5e308, 1.5e308}, 0), true,
         "the values of predictor \"A\" spread wider than a double holds"},
        {"the constant alone for FSL", matrix({"Constant"}, {1, 1}, 1), true,
         "the design matrix holds no predictor but the constant, which FSL's layout leaves out"},
    };
    for (const Case& c : cases) {
        const auto written = c.fsl ? designMatrixFsl(c.content) : designMatrixTsv(c.content);
        ASSERT_FALSE(written) << c.what;
        EXPECT_EQ(written.error.rfind(c.message, 0), 0u) << c.what << ": " << written.error;
    }
}

TEST(DesignMatrixExport, SdmAndRtcAreBothRead) {
    const auto sdm = parseDesignMatrix(
        "FileVersion: 1\nNrOfPredictors: 2\nNrOfDataPoints: 2\nIncludesConstant: 1\nFirstConfoundPredictor: 2\n"
        "255 0 0 255 255 255\n\"A b\" \"Constant\"\n 0.5 1\n-2.5e-05 1\n");
    ASSERT_TRUE(sdm) << sdm.error;
    EXPECT_EQ(*designMatrixTsv(*sdm.value).value, "A b\tconstant\n0.5\t1\n-2.5e-05\t1\n");
    const auto rtc = parseDesignMatrix("FileVersion:     2\r\nType:            DesignMatrix\r\nNrOfPredictors:  2\r\n"
                                       "NrOfDataPoints:  2\r\n\"HR\" \"HR_deriv\"\r\n70.5 0.1\r\n71 -0.2\r\n");
    ASSERT_TRUE(rtc) << rtc.error;
    EXPECT_EQ(*designMatrixTsv(*rtc.value).value, "HR\tHR_deriv\n70.5\t0.1\n71\t-0.2\n");
    EXPECT_FALSE(parseDesignMatrix("onset\tduration\n1\t2\n"));
}

}  // namespace
}  // namespace morvane
