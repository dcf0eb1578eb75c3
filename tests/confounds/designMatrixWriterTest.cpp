// The extended design matrix: its name, its bytes (against golden files), and what the two
// writers do with records and design matrices that do not fit.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "confounds/readConfoundFiles.h"
#include "confounds/writeDesignMatrixWithConfounds.h"
#include "logCapture.h"
#include "testFiles.h"

namespace {

using ::testing::ElementsAre;

const std::string tooFew = "Number of datapoints in *.sdm/*.rtc file(s) not sufficient!";
const std::string otherCount = "Number of datapoints in *.sdm/*.rtc file(s) does not match the design matrix!";
const std::string someKindsError =
    "Error while converting PRT to SDM with any of 3DMC, heart rate and respiration files.";
const std::string allKindsError = "Error while converting PRT to SDM with 3DMC, heart rate and respiration files.";

ConfoundRecord motionRecord(int points, bool z = false) {
    ConfoundRecord record;
    record.kind = ConfoundKind::Motion;
    record.predictorCount = 6;
    record.dataPointCount = points;
    record.zTransformed = z;
    for (int c = 0; c < 6; ++c) {
        record.motionColors[static_cast<std::size_t>(c)] = {c, 10 + c, 20 + c};
        for (int p = 0; p < points; ++p)
            record.motionColumns[static_cast<std::size_t>(c)].push_back(c + p / 8.0);
    }
    return record;
}

ConfoundRecord confoundRecord(ConfoundKind kind, int predictors, int points, bool z = false) {
    ConfoundRecord record;
    record.kind = kind;
    record.predictorCount = predictors;
    record.dataPointCount = points;
    record.zTransformed = z;
    for (int c = 0; c < predictors; ++c) {
        record.colors.push_back({255, 255, 20 * c});
        record.names.push_back("\"K" + std::to_string(c) + "\"");
        std::vector<double> column;
        for (int p = 0; p < points; ++p) column.push_back(60.5 + p - c);
        record.columns.push_back(column);
    }
    return record;
}

std::string designMatrix(int predictors, int points, int constant, const std::string& version = "1") {
    std::string text = "FileVersion: " + version + "\n\nNrOfPredictors: " + std::to_string(predictors) +
                       "\nNrOfDataPoints: " + std::to_string(points) + "\nIncludesConstant: " +
                       std::to_string(constant) + "\nFirstConfoundPredictor: " + std::to_string(predictors) + "\n\n";
    for (int i = 0; i < predictors; ++i) text += (constant && i == predictors - 1) ? "255 255 255 " : "9 8 7 ";
    text += "\n";
    for (int i = 0; i < predictors; ++i)
        text += (constant && i == predictors - 1) ? std::string("\"Constant\"") : "\"P" + std::to_string(i) + "\" ";
    text += "\n";
    for (int p = 0; p < points; ++p) {
        for (int i = 0; i < predictors; ++i) text += (constant && i == predictors - 1) ? "1 " : "0.5 ";
        text += "\n";
    }
    return text;
}

struct Merged {
    MergeOutcome outcome;
    std::string text;
};

Merged merge(const std::string& dm, const ConfoundSet& set, ConfoundWriterVariant variant) {
    std::istringstream in(dm);
    std::ostringstream out;
    const MergeOutcome outcome = mergeDesignMatrixWithConfounds(in, out, set, variant, "dm.sdm");
    return {outcome, out.str()};
}

TEST(ExtendedDesignMatrix, isWrittenFieldByField) {
    LogCapture log;
    const std::string dm =
        "FileVersion: 1\r\n\r\nNrOfPredictors: 3\r\nNrOfDataPoints: 2\r\nIncludesConstant: 1\r\n"
        "FirstConfoundPredictor: 3\r\n\r\n255 0 0 0 255 0 255 255 255\r\n\"Faces in LVF\" \"B\" \"Constant\"\r\n"
        "           1         0.5           1\r\n-0.000387509       1e-07           1\r\n";
    ConfoundRecord heart = confoundRecord(ConfoundKind::HeartRate, 1, 2);
    const Merged merged = merge(dm, {nullptr, &heart, nullptr}, ConfoundWriterVariant::SomeKinds);
    EXPECT_EQ(merged.outcome, MergeOutcome::Written);
    EXPECT_EQ(merged.text,
              "FileVersion: 1\n\nNrOfPredictors: 4\nNrOfDataPoints: 2\nIncludesConstant: 1\n"
              "FirstConfoundPredictor: 3\n\n255 0 0 0 255 0 255 255 0 255 255 255 \n"
              "\"Faces in LVF\"\t\"B\"\t\"K0\"\t\t\"Constant\"\n"
              "1\t0.5\t60.500000\t1.000000\n-0.000387509\t1e-07\t61.500000\t1.000000\n");
    EXPECT_TRUE(log.lines.empty());
}

TEST(ExtendedDesignMatrix, holdsNothingBackWithoutAConstant) {
    LogCapture log;
    ConfoundRecord motion = motionRecord(1);
    ConfoundRecord breathing = confoundRecord(ConfoundKind::Respiration, 2, 1);
    const Merged merged = merge(designMatrix(1, 1, 0), {&motion, nullptr, &breathing}, ConfoundWriterVariant::SomeKinds);
    EXPECT_EQ(merged.outcome, MergeOutcome::Written);
    EXPECT_EQ(merged.text,
              "FileVersion: 1\n\nNrOfPredictors: 9\nNrOfDataPoints: 1\nIncludesConstant: 0\n"
              "FirstConfoundPredictor: 1\n\n"
              "9 8 7 0 10 20 1 11 21 2 12 22 3 13 23 4 14 24 5 15 25 255 255 0 255 255 20 \n"
              "\"P0\"\t\"Translation MN-X [mm]\"\t\"Translation MN-Y [mm]\"\t\"Translation MN-Z [mm]\"\t"
              "\"Rotation MN-X [deg]\"\t\"Rotation MN-Y [deg]\"\t\"Rotation MN-Z [deg]\"\t\"K0\"\t\"K1\"\t\n"
              "0.5\t0\t1\t2\t3\t4\t5\t60.500000\t59.500000\t\n");
}

TEST(ExtendedDesignMatrix, writesValuesOfAnyLengthWhole) {
    LogCapture log;
    ConfoundRecord heart = confoundRecord(ConfoundKind::HeartRate, 1, 1);
    heart.columns[0][0] = -1e300;
    const Merged merged = merge(designMatrix(1, 1, 0), {nullptr, &heart, nullptr}, ConfoundWriterVariant::SomeKinds);
    char expected[400];
    std::snprintf(expected, sizeof expected, "0.5\t%4.6lf\t\n", -1e300);
    EXPECT_TRUE(merged.text.ends_with(expected));
}

// Values already in the default notation are copied, all others converted: either way each
// comes out as printf "%g" writes its value, read with little room behind it (one blank) and
// with much.
TEST(ExtendedDesignMatrix, writesEveryDesignMatrixValueInTheDefaultNotation) {
    LogCapture log;
    const std::vector<std::string> values = {
        "0.5",      "-0.000387509", "1e-07",   "123456",  "0",         "-0",       "0.50",      "+1",
        "1.",       ".25",          "00.5",    "1234567", "0.1234567", "1.0e-05",  "1E+06",     "1e+100",
        "0.00001",  "0.0001",       "100000",  "1e+06",   "1e-5",      "9.999995", "-99999.95", "2.5e-310",
        "1.5e+300", "12345678901234567890", "0.30000000000000004", "-1.23457e+07"};
    ConfoundRecord heart = confoundRecord(ConfoundKind::HeartRate, 1, static_cast<int>(values.size()));
    for (const std::string& padding : {std::string(" "), std::string(40, ' ')}) {
        std::string dm = "FileVersion: 1\n\nNrOfPredictors: 2\nNrOfDataPoints: " + std::to_string(values.size()) +
                         "\nIncludesConstant: 1\nFirstConfoundPredictor: 2\n\n1 2 3 255 255 255\n\"P\" \"Constant\"\n";
        std::string expected;
        for (std::size_t row = 0; row < values.size(); ++row) {
            dm += padding + values[row] + padding + "1\n";
            char line[128];
            std::snprintf(line, sizeof line, "%g\t%4.6lf\t1.000000\n", std::strtod(values[row].c_str(), nullptr),
                          60.5 + static_cast<double>(row));
            expected += line;
        }
        const Merged merged = merge(dm, {nullptr, &heart, nullptr}, ConfoundWriterVariant::SomeKinds);
        ASSERT_EQ(merged.outcome, MergeOutcome::Written);
        EXPECT_EQ(merged.text.substr(merged.text.find("\"Constant\"\n") + 11), expected) << padding.size();
    }
}

TEST(ExtendedDesignMatrix, countsSixMotionPredictorsWhateverTheFileDeclared) {
    LogCapture log;
    ConfoundRecord motion = motionRecord(2);
    motion.predictorCount = 7;  // as read from a file that declares seven
    const Merged merged = merge(designMatrix(2, 2, 1), {&motion, nullptr, nullptr}, ConfoundWriterVariant::SomeKinds);
    EXPECT_THAT(merged.text, ::testing::HasSubstr("NrOfPredictors: 8\n"));
    EXPECT_THAT(merged.text, ::testing::HasSubstr("\n0.5\t0\t1\t2\t3\t4\t5\t1.000000\n"));
}

struct PointCase {
    const char* what;
    ConfoundWriterVariant variant;
    int recordPoints;
    std::vector<std::string> log;
    bool written;
};

TEST(ExtendedDesignMatrix, checksDataPointsAgainstTheDesignMatrix) {
    // Three own predictors, six of motion, one of heart rate, none of respiration.
    const std::string fourLines = "FileVersion: 1\n\nNrOfPredictors: 10\nNrOfDataPoints: 200\n";
    const std::vector<PointCase> cases = {
        {"fewer points", ConfoundWriterVariant::SomeKinds, 180, {tooFew}, false},
        {"more points, first ones used", ConfoundWriterVariant::SomeKinds, 220, {}, true},
        {"same points", ConfoundWriterVariant::SomeKinds, 200, {}, true},
        {"all kinds, more points", ConfoundWriterVariant::AllKinds, 220, {otherCount}, false},
        {"all kinds, fewer points", ConfoundWriterVariant::AllKinds, 180, {otherCount}, false},
        {"all kinds, same points", ConfoundWriterVariant::AllKinds, 200, {}, true},
    };
    for (const PointCase& c : cases) {
        LogCapture log;
        ConfoundRecord motion = motionRecord(200);
        ConfoundRecord heart = confoundRecord(ConfoundKind::HeartRate, 1, c.recordPoints);
        ConfoundRecord breathing = confoundRecord(ConfoundKind::Respiration, 0, 200);
        const Merged merged = merge(designMatrix(3, 200, 1), {&motion, &heart, &breathing}, c.variant);
        EXPECT_EQ(log.lines, c.log) << c.what;
        if (c.written) {
            EXPECT_EQ(merged.outcome, MergeOutcome::Written) << c.what;
            EXPECT_EQ(std::count(merged.text.begin(), merged.text.end(), '\n'), 7 + 2 + 200) << c.what;
            EXPECT_TRUE(merged.text.ends_with(
                "\n0.5\t0.5\t24.875\t25.875\t26.875\t27.875\t28.875\t29.875\t259.500000\t1.000000\n"))
                << c.what;
        } else {
            EXPECT_EQ(merged.outcome, MergeOutcome::DataPointsMismatch) << c.what;
            EXPECT_EQ(merged.text, fourLines) << c.what;
        }
    }
}

TEST(ExtendedDesignMatrix, reportsEveryRecordWithTooFewPoints) {
    LogCapture log;
    ConfoundRecord motion = motionRecord(3);
    ConfoundRecord heart = confoundRecord(ConfoundKind::HeartRate, 1, 9);
    ConfoundRecord breathing = confoundRecord(ConfoundKind::Respiration, 1, 0);
    merge(designMatrix(2, 5, 1), {&motion, &heart, &breathing}, ConfoundWriterVariant::SomeKinds);
    EXPECT_THAT(log.lines, ElementsAre(tooFew, tooFew));
}

TEST(ExtendedDesignMatrix, takesNoValueFromARecordWhoseReadingFailed) {
    LogCapture log;
    // An abandoned record keeps its header counts but has no columns.
    ConfoundRecord heart = confoundRecord(ConfoundKind::HeartRate, 2, 0);
    heart.readOk = false;
    heart.dataPointCount = 50;
    heart.columns.clear();
    ConfoundRecord motion;
    motion.readOk = false;
    motion.dataPointCount = 50;
    for (ConfoundWriterVariant variant : {ConfoundWriterVariant::SomeKinds, ConfoundWriterVariant::AllKinds}) {
        log.lines.clear();
        ConfoundRecord breathing = confoundRecord(ConfoundKind::Respiration, 1, 50);
        const Merged merged = merge(designMatrix(2, 50, 1), {&motion, &heart, &breathing}, variant);
        EXPECT_EQ(merged.outcome, MergeOutcome::DataPointsMismatch);
        const std::string& line = variant == ConfoundWriterVariant::SomeKinds ? tooFew : otherCount;
        EXPECT_THAT(log.lines, ElementsAre(line, line));
    }
}

TEST(ExtendedDesignMatrix, writesNothingForALaterFileVersion) {
    LogCapture log;
    ConfoundRecord heart = confoundRecord(ConfoundKind::HeartRate, 1, 2);
    const Merged merged = merge(designMatrix(2, 2, 1, "2"), {nullptr, &heart, nullptr}, ConfoundWriterVariant::SomeKinds);
    EXPECT_EQ(merged.outcome, MergeOutcome::VersionNotSupported);
    EXPECT_EQ(merged.text, "");
    EXPECT_TRUE(log.lines.empty());
}

// Without a record nothing bounds the rows: a design matrix without predictors would give
// as many empty rows as it claims, whatever their number.
TEST(ExtendedDesignMatrix, isNotMergedWithoutAnyKind) {
    const std::string manyEmptyRows = "FileVersion: 1\n\nNrOfPredictors: 0\nNrOfDataPoints: 1000000\n"
                                      "IncludesConstant: 0\nFirstConfoundPredictor: 1\n\n\n\n";
    for (const std::string& dm : {designMatrix(2, 3, 1), manyEmptyRows}) {
        for (ConfoundWriterVariant variant : {ConfoundWriterVariant::SomeKinds, ConfoundWriterVariant::AllKinds}) {
            LogCapture log;
            const Merged merged = merge(dm, {}, variant);
            EXPECT_EQ(merged.outcome, MergeOutcome::NoConfounds);
            EXPECT_EQ(merged.text, "");
            EXPECT_THAT(log.lines,
                        ElementsAre(variant == ConfoundWriterVariant::SomeKinds ? someKindsError : allKindsError));
        }
    }
}

struct BrokenCase {
    const char* what;
    std::string text;
    std::string written;  // whole lines only
};

TEST(ExtendedDesignMatrix, stopsWhereTheDesignMatrixCannotBeRead) {
    const std::string full = designMatrix(2, 3, 1);
    const std::string header = "FileVersion: 1\n\nNrOfPredictors: 3\nNrOfDataPoints: 3\nIncludesConstant: 1\n"
                               "FirstConfoundPredictor: 2\n\n";
    const std::vector<BrokenCase> cases = {
        {"empty", "", ""},
        {"ends in the header", "FileVersion: 1\n\nNrOfPredictors: 2\n", "FileVersion: 1\n\nNrOfPredictors: 3\n"},
        {"negative predictor count", "FileVersion: 1 NrOfPredictors: -1 NrOfDataPoints: 3", "FileVersion: 1\n\n"},
        {"negative point count", "FileVersion: 1 NrOfPredictors: 2 NrOfDataPoints: -3",
         "FileVersion: 1\n\nNrOfPredictors: 3\n"},
        {"a constant without predictors",
         "FileVersion: 1 NrOfPredictors: 0 NrOfDataPoints: 0 IncludesConstant: 1 FirstConfoundPredictor: 1",
         "FileVersion: 1\n\nNrOfPredictors: 1\nNrOfDataPoints: 0\n"},
        {"ends in the colours", full.substr(0, full.find("255 255 255")), header},
        {"ends in a row", full.substr(0, full.size() - 4), ""},
        {"word in a row", full.substr(0, full.size() - 3) + "x\n", ""},
    };
    for (const BrokenCase& c : cases) {
        LogCapture log;
        ConfoundRecord heart = confoundRecord(ConfoundKind::HeartRate, 1, 3);
        const Merged merged = merge(c.text, {nullptr, &heart, nullptr}, ConfoundWriterVariant::SomeKinds);
        EXPECT_EQ(merged.outcome, MergeOutcome::DesignMatrixUnreadable) << c.what;
        EXPECT_THAT(log.lines, ElementsAre("The design matrix dm.sdm ends early or holds an unreadable value; "
                                           "the new file is incomplete."))
            << c.what;
        if (!c.written.empty()) {
            EXPECT_EQ(merged.text, c.written) << c.what;
        }
        // Never a line cut short.
        EXPECT_TRUE(merged.text.empty() || merged.text.back() == '\n') << c.what;
    }
    // A row cut short leaves the rows before it, whole.
    LogCapture log;
    ConfoundRecord heart = confoundRecord(ConfoundKind::HeartRate, 1, 3);
    const Merged cut = merge(full.substr(0, full.size() - 4), {nullptr, &heart, nullptr}, ConfoundWriterVariant::SomeKinds);
    EXPECT_TRUE(cut.text.ends_with("\"P0\"\t\"K0\"\t\t\"Constant\"\n0.5\t60.500000\t1.000000\n0.5\t61.500000\t1.000000\n"));
}

TEST(ExtendedDesignMatrix, writesLongLinesAndManyRowsWhole) {
    LogCapture log;
    const std::string longName = "\"" + std::string(300'000, 'n') + " with blanks\"";
    const int points = 20'000;
    std::string dm = "FileVersion: 1\n\nNrOfPredictors: 2\nNrOfDataPoints: " + std::to_string(points) +
                     "\nIncludesConstant: 1\nFirstConfoundPredictor: 2\n\n1 2 3 255 255 255\n" + longName +
                     " \"Constant\"\n";
    std::string expected = "FileVersion: 1\n\nNrOfPredictors: 3\nNrOfDataPoints: " + std::to_string(points) +
                           "\nIncludesConstant: 1\nFirstConfoundPredictor: 2\n\n1 2 3 255 255 0 255 255 255 \n" +
                           longName + "\t\"K0\"\t\t\"Constant\"\n";
    ConfoundRecord heart = confoundRecord(ConfoundKind::HeartRate, 1, points);
    for (int p = 0; p < points; ++p) {
        dm += std::to_string(p) + " 1\n";
        char row[64];
        std::snprintf(row, sizeof row, "%d\t%4.6lf\t1.000000\n", p, 60.5 + p);
        expected += row;
    }
    const Merged merged = merge(dm, {nullptr, &heart, nullptr}, ConfoundWriterVariant::SomeKinds);
    EXPECT_EQ(merged.outcome, MergeOutcome::Written);
    EXPECT_TRUE(merged.text == expected);
}

// Colour and value lines far longer than the writer's buffer: it grows while numbers are
// written into it, and every number lands whole where it belongs.
TEST(ExtendedDesignMatrix, writesLongLinesOfNumbersWhole) {
    LogCapture log;
    const int predictors = 20'000;  // a colour line of some 300,000 characters
    const int points = 3;
    std::string dm = "FileVersion: 1\n\nNrOfPredictors: " + std::to_string(predictors) + "\nNrOfDataPoints: " +
                     std::to_string(points) + "\nIncludesConstant: 0\nFirstConfoundPredictor: 1\n\n";
    std::string expected = "FileVersion: 1\n\nNrOfPredictors: " + std::to_string(predictors + 1) +
                           "\nNrOfDataPoints: " + std::to_string(points) +
                           "\nIncludesConstant: 0\nFirstConfoundPredictor: 1\n\n";
    for (int i = 0; i < predictors; ++i) {
        const std::string triple = std::to_string(i % 256) + " " + std::to_string(i) + " " + std::to_string(-i) + " ";
        dm += triple;
        expected += triple;
    }
    dm += "\n";
    expected += "255 255 0 \n";
    for (int i = 0; i < predictors; ++i) {
        dm += "\"P\" ";
        expected += "\"P\"\t";
    }
    dm += "\n";
    expected += "\"K0\"\t\n";
    for (int p = 0; p < points; ++p) {
        for (int i = 0; i < predictors; ++i) {
            // Not in the default notation: converted and formatted anew.
            dm += i % 2 == 0 ? "0.50 " : "1.0e-05 ";
            expected += i % 2 == 0 ? "0.5\t" : "1e-05\t";
        }
        dm += "\n";
        char heartValue[32];
        std::snprintf(heartValue, sizeof heartValue, "%4.6lf\t\n", 60.5 + p);
        expected += heartValue;
    }
    ConfoundRecord heart = confoundRecord(ConfoundKind::HeartRate, 1, points);
    const Merged merged = merge(dm, {nullptr, &heart, nullptr}, ConfoundWriterVariant::SomeKinds);
    EXPECT_EQ(merged.outcome, MergeOutcome::Written);
    EXPECT_TRUE(merged.text == expected);
}

// ---- names ------------------------------------------------------------------------------

struct NameCase {
    bool motion, heart, breathing;
    const char* plain;
    const char* transformed;
};

TEST(ExtendedDesignMatrixName, recordsTheKindsInTheirOrder) {
    const std::vector<NameCase> cases = {
        {true, false, false, "run1_3DMC.sdm", "run1_3DMC_z.sdm"},
        {false, true, false, "run1_HR.sdm", "run1_HR_z.sdm"},
        {false, false, true, "run1_RVT.sdm", "run1_RVT_z.sdm"},
        {true, true, false, "run1_3DMC_HR.sdm", "run1_3DMC_z_HR_z.sdm"},
        {true, false, true, "run1_3DMC_RVT.sdm", "run1_3DMC_z_RVT_z.sdm"},
        {false, true, true, "run1_HR_RVT.sdm", "run1_HR_z_RVT_z.sdm"},
    };
    for (const NameCase& c : cases) {
        for (bool z : {false, true}) {
            ConfoundRecord motion = motionRecord(0, z);
            ConfoundRecord heart = confoundRecord(ConfoundKind::HeartRate, 1, 0, z);
            ConfoundRecord breathing = confoundRecord(ConfoundKind::Respiration, 1, 0, z);
            const ConfoundSet set{c.motion ? &motion : nullptr, c.heart ? &heart : nullptr,
                                  c.breathing ? &breathing : nullptr};
            EXPECT_EQ(extendedDesignMatrixName("run1.sdm", set, ConfoundWriterVariant::SomeKinds),
                      z ? c.transformed : c.plain);
        }
    }
    for (bool z : {false, true}) {
        ConfoundRecord motion = motionRecord(0, z);
        // Only the motion record's flag decides for all three kinds.
        ConfoundRecord heart = confoundRecord(ConfoundKind::HeartRate, 1, 0, !z);
        ConfoundRecord breathing = confoundRecord(ConfoundKind::Respiration, 1, 0, !z);
        EXPECT_EQ(extendedDesignMatrixName("run1.sdm", {&motion, &heart, &breathing}, ConfoundWriterVariant::AllKinds),
                  z ? "run1_3DMC_z_HR_z_RVT_z.sdm" : "run1_3DMC_HR_RVT.sdm");
    }
    ConfoundRecord heart = confoundRecord(ConfoundKind::HeartRate, 1, 0);
    EXPECT_EQ(extendedDesignMatrixName("D:\\a.b\\x.sdm", {nullptr, &heart, nullptr}, ConfoundWriterVariant::SomeKinds),
              "D:\\a.b\\x_HR.sdm");
    EXPECT_EQ(extendedDesignMatrixName("sdm", {nullptr, &heart, nullptr}, ConfoundWriterVariant::SomeKinds), std::nullopt);
}

// ---- through files ----------------------------------------------------------------------

TEST(DesignMatrixWriters, matchTheGoldenFileForMotionAndRespiration) {
    ScratchFolder folder;
    for (const char* name : {"mr_run1_run1.sdm", "mr_run1_3DMC.sdm", "mr_run1_RVT.rtc"})
        std::filesystem::copy_file(goldenFolder() / name, folder / name);
    LogCapture log;
    const auto motion = readMotionEstimatesSdm((folder / "mr_run1_3DMC.sdm").string().c_str());
    const auto breathing = readConfoundsRtc((folder / "mr_run1_RVT.rtc").string().c_str(), ConfoundKind::Respiration);
    log.lines.clear();
    const std::string designMatrixName = (folder / "mr_run1_run1.sdm").string();
    const std::string written = writeDesignMatrixWithConfounds(designMatrixName, motion.get(), nullptr,
                                                               breathing.get(), true, false, true);
    EXPECT_EQ(written, (folder / "mr_run1_run1_3DMC_RVT.sdm").string());
    EXPECT_THAT(log.lines, ElementsAre("New filename: " + written));
    EXPECT_EQ(readWholeFile(written), readWholeFile(goldenFolder() / "mr_expected_3DMC_RVT.sdm"));
}

TEST(DesignMatrixWriters, matchTheGoldenFileWithoutConstant) {
    ScratchFolder folder;
    for (const char* name : {"c0_design.sdm", "c0_heart_HR.sdm"})
        std::filesystem::copy_file(goldenFolder() / name, folder / name);
    LogCapture log;
    const auto heart = readConfoundsSdm((folder / "c0_heart_HR.sdm").string().c_str(), ConfoundKind::HeartRate);
    const std::string written = writeDesignMatrixWithConfounds((folder / "c0_design.sdm").string(), nullptr,
                                                               heart.get(), nullptr, false, true, false);
    EXPECT_EQ(written, (folder / "c0_design_HR.sdm").string());
    EXPECT_EQ(readWholeFile(written), readWholeFile(goldenFolder() / "c0_expected_HR.sdm"));
}

TEST(DesignMatrixWriters, replaceAnEarlierOutput) {
    ScratchFolder folder;
    writeWholeFile(folder / "d.sdm", designMatrix(2, 1, 1));
    writeWholeFile(folder / "d_HR.sdm", std::string(10'000, 'x'));
    LogCapture log;
    ConfoundRecord heart = confoundRecord(ConfoundKind::HeartRate, 1, 1);
    writeDesignMatrixWithConfounds((folder / "d.sdm").string(), nullptr, &heart, nullptr, false, true, false);
    EXPECT_EQ(readWholeFile(folder / "d_HR.sdm"),
              "FileVersion: 1\n\nNrOfPredictors: 3\nNrOfDataPoints: 1\nIncludesConstant: 1\n"
              "FirstConfoundPredictor: 2\n\n9 8 7 255 255 0 255 255 255 \n\"P0\"\t\"K0\"\t\t\"Constant\"\n"
              "0.5\t60.500000\t1.000000\n");
}

TEST(DesignMatrixWriters, createAnEmptyFileForALaterVersion) {
    ScratchFolder folder;
    writeWholeFile(folder / "d.sdm", designMatrix(2, 1, 1, "3"));
    LogCapture log;
    ConfoundRecord motion = motionRecord(1);
    ConfoundRecord heart = confoundRecord(ConfoundKind::HeartRate, 1, 1);
    ConfoundRecord breathing = confoundRecord(ConfoundKind::Respiration, 1, 1);
    const std::string written = writeDesignMatrixWithAllConfounds((folder / "d.sdm").string(), motion, heart, breathing);
    EXPECT_TRUE(std::filesystem::exists(written));
    EXPECT_EQ(readWholeFile(written), "");
    EXPECT_THAT(log.lines, ElementsAre("New filename: " + written));
}

TEST(DesignMatrixWriters, failWithTheirErrorLineForANameWithoutExtension) {
    ScratchFolder folder;
    LogCapture log;
    ConfoundRecord motion = motionRecord(1);
    ConfoundRecord heart = confoundRecord(ConfoundKind::HeartRate, 1, 1);
    ConfoundRecord breathing = confoundRecord(ConfoundKind::Respiration, 1, 1);
    EXPECT_EQ(writeDesignMatrixWithConfounds("", &motion, nullptr, nullptr, true, false, false), "");
    EXPECT_EQ(writeDesignMatrixWithAllConfounds("", motion, heart, breathing), "");
    EXPECT_EQ(writeDesignMatrixWithConfounds("a.s", &motion, nullptr, nullptr, true, false, false), "a.s");
    EXPECT_THAT(log.lines, ElementsAre(someKindsError, allKindsError, someKindsError));
}

TEST(DesignMatrixWriters, writeNothingWhenTheDesignMatrixIsMissing) {
    ScratchFolder folder;
    LogCapture log;
    ConfoundRecord heart = confoundRecord(ConfoundKind::HeartRate, 1, 1);
    const std::string missing = (folder / "missing.sdm").string();
    const std::string written = writeDesignMatrixWithConfounds(missing, nullptr, &heart, nullptr, false, true, false);
    EXPECT_EQ(written, (folder / "missing_HR.sdm").string());
    EXPECT_FALSE(std::filesystem::exists(written));
    EXPECT_THAT(log.lines, ElementsAre("New filename: " + written,
                                       "Unable to open the design matrix " + missing + "; nothing written."));
}

TEST(DesignMatrixWriters, reportAnOutputThatCannotBeOpened) {
    ScratchFolder folder;
    writeWholeFile(folder / "d.sdm", designMatrix(2, 1, 1));
    std::filesystem::create_directory(folder / "d_RVT.sdm");  // stands where the output goes
    LogCapture log;
    ConfoundRecord breathing = confoundRecord(ConfoundKind::Respiration, 1, 1);
    const std::string written =
        writeDesignMatrixWithConfounds((folder / "d.sdm").string(), nullptr, nullptr, &breathing, false, false, true);
    EXPECT_THAT(log.lines, ElementsAre("New filename: " + written, "Unable to open a file for writing."));
}

TEST(DesignMatrixWriters, refuseToWriteWithoutAnyKind) {
    ScratchFolder folder;
    const std::string dm = designMatrix(2, 1, 1);
    writeWholeFile(folder / "d.sdm", dm);
    LogCapture log;
    ConfoundRecord heart = confoundRecord(ConfoundKind::HeartRate, 1, 1);
    writeDesignMatrixWithConfounds((folder / "d.sdm").string(), nullptr, &heart, nullptr, false, false, false);
    writeDesignMatrixWithConfounds((folder / "d.sdm").string(), nullptr, nullptr, nullptr, false, true, false);
    EXPECT_THAT(log.lines, ElementsAre(someKindsError, someKindsError));
    EXPECT_EQ(readWholeFile(folder / "d.sdm"), dm);  // the design matrix itself stays as it was
}

TEST(DesignMatrixWriters, logLongOutputNamesWhole) {
    ScratchFolder folder;
    const std::filesystem::path deep = folder / std::string(200, 'f') / std::string(200, 'g');
    std::filesystem::create_directories(deep);
    writeWholeFile(deep / "d.sdm", designMatrix(2, 1, 1));
    LogCapture log;
    ConfoundRecord heart = confoundRecord(ConfoundKind::HeartRate, 1, 1);
    const std::string written =
        writeDesignMatrixWithConfounds((deep / "d.sdm").string(), nullptr, &heart, nullptr, false, true, false);
    EXPECT_TRUE(std::filesystem::exists(written));
    ASSERT_FALSE(log.lines.empty());
    EXPECT_EQ(log.lines[0], "New filename: " + written);
    EXPECT_GT(log.lines[0].size(), 400u);
}

}  // namespace
