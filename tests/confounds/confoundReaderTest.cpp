// The four confound readers: what they make of SDM and RTC texts in the forms the host writes,
// the lines they log, and how they give up on texts they cannot trust.
#include <cstdint>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "confounds/readConfoundFiles.h"
#include "logCapture.h"
#include "testFiles.h"

namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

const std::string sdmAbandon = "Problem with reading *.sdm file. Please check results.";
const std::string rtcAbandon = "Problem with reading *.rtc file. Please check results.";

std::string report(int version, int predictors, int points, int constant, int first) {
    return "Fileversion: " + std::to_string(version) + "\nNr of Predictors: " + std::to_string(predictors) +
           "\nNr of datapoints: " + std::to_string(points) + "\nIncludes constant: " +
           std::to_string(constant) + "\nFirst confound: " + std::to_string(first);
}

std::string sdmHeader(int predictors, int points, int constant, int first) {
    return "FileVersion:             1\r\n\r\nNrOfPredictors:          " + std::to_string(predictors) +
           "\r\nNrOfDataPoints:          " + std::to_string(points) + "\r\nIncludesConstant:        " +
           std::to_string(constant) + "\r\nFirstConfoundPredictor:  " + std::to_string(first) + "\r\n\r\n";
}

std::string rtcHeader(int predictors, int points) {
    return "FileVersion:     2\r\nType:            DesignMatrix\r\nNrOfPredictors:  " +
           std::to_string(predictors) + "\r\nNrOfDataPoints:  " + std::to_string(points) + "\r\n";
}

const std::string motionColorLine =
    "255 50 50   50 255 50   50 50 255   255 255 0   255 0 255   0 255 255\r\n";
const std::string motionNameLine =
    "\"Translation MN-X [mm]\" \"Translation MN-Y [mm]\" \"Translation MN-Z [mm]\" "
    "\"Rotation MN-X [deg]\" \"Rotation MN-Y [deg]\" \"Rotation MN-Z [deg]\"\r\n";
// Host rows: 12-character fields, negative values touching the one before.
const std::string motionRows =
    "           0           0           0           0           0           0\r\n"
    "   0.0310625-0.000387509  -0.0247146    0.101234   -0.020001      0.0003\r\n"
    "    -1.5e-05       2e-07     1.23456   -0.123456    0.654321           1\r\n";

void expectMotionColumns(const ConfoundRecord& record) {
    EXPECT_THAT(record.motionColumns[0], ElementsAre(0.0, 0.0310625, -1.5e-05));
    EXPECT_THAT(record.motionColumns[1], ElementsAre(0.0, -0.000387509, 2e-07));
    EXPECT_THAT(record.motionColumns[2], ElementsAre(0.0, -0.0247146, 1.23456));
    EXPECT_THAT(record.motionColumns[3], ElementsAre(0.0, 0.101234, -0.123456));
    EXPECT_THAT(record.motionColumns[4], ElementsAre(0.0, -0.020001, 0.654321));
    EXPECT_THAT(record.motionColumns[5], ElementsAre(0.0, 0.0003, 1.0));
}

std::vector<std::int32_t> flat(const std::vector<ColorTriple>& colors) {
    std::vector<std::int32_t> values;
    for (const ColorTriple& c : colors) values.insert(values.end(), {c.red, c.green, c.blue});
    return values;
}

std::vector<std::int32_t> flat(const std::array<ColorTriple, motionColumnCount>& colors) {
    return flat(std::vector<ColorTriple>(colors.begin(), colors.end()));
}

TEST(MotionReaders, readTheSdmFormTheHostWrites) {
    LogCapture log;
    const std::string text = sdmHeader(6, 3, 0, 1) + motionColorLine + motionNameLine + motionRows;
    const auto record = readMotionEstimatesSdmFrom(text, "D:\\s\\run1_3DMC.sdm");
    EXPECT_TRUE(record->readOk);
    EXPECT_EQ(record->kind, ConfoundKind::Motion);
    EXPECT_EQ(record->fileVersion, 1);
    EXPECT_EQ(record->predictorCount, 6);
    EXPECT_EQ(record->dataPointCount, 3);
    EXPECT_FALSE(record->zTransformed);
    EXPECT_THAT(flat(record->motionColors),
                ElementsAre(255, 50, 50, 50, 255, 50, 50, 50, 255, 255, 255, 0, 255, 0, 255, 0, 255, 255));
    expectMotionColumns(*record);
    EXPECT_TRUE(record->colors.empty() && record->names.empty() && record->columns.empty());
    EXPECT_THAT(log.lines, ElementsAre("Reading file: D:\\s\\run1_3DMC.sdm", report(1, 6, 3, 0, 1),
                                       "Reading colors...", "Reading motion estimates..."));
}

TEST(MotionReaders, takeTheColoursTheSdmHoldsAndFixedOnesForRtc) {
    LogCapture log;
    const std::string sdm = sdmHeader(6, 0, 0, 1) + "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18\n" + motionNameLine;
    const auto fromSdm = readMotionEstimatesSdmFrom(sdm, "m.sdm");
    EXPECT_THAT(flat(fromSdm->motionColors), ElementsAre(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18));

    log.lines.clear();
    const std::string rtc = rtcHeader(6, 3) + motionNameLine + motionRows;
    const auto fromRtc = readMotionEstimatesRtcFrom(rtc, "m.rtc");
    EXPECT_TRUE(fromRtc->readOk);
    EXPECT_EQ(fromRtc->fileVersion, 2);
    EXPECT_EQ(fromRtc->includesConstant, 0);
    EXPECT_EQ(fromRtc->firstConfound, 1);
    EXPECT_THAT(flat(fromRtc->motionColors),
                ElementsAre(255, 50, 50, 50, 255, 50, 50, 50, 255, 255, 255, 0, 255, 0, 255, 0, 255, 255));
    expectMotionColumns(*fromRtc);
    EXPECT_THAT(log.lines, ElementsAre("Reading file: m.rtc", report(2, 6, 3, 0, 1), "Adding colors...",
                                       "Reading motion estimates..."));
}

TEST(MotionReaders, passOverNamesByTheirQuotesWhateverTheyHold) {
    LogCapture log;
    // Names with blanks and digits that would read as numbers if taken word by word.
    const std::string text = rtcHeader(6, 3) +
                             "\"a 1 2\" \"b 3\" \"c\"\t\"d 4 5 6\" \"e 7\"\r\n\"f 8\"\r\n" + motionRows;
    const auto record = readMotionEstimatesRtcFrom(text, "m.rtc");
    EXPECT_TRUE(record->readOk);
    expectMotionColumns(*record);
}

TEST(MotionReaders, takeSixValuesPerRowWhateverTheDeclaredCount) {
    LogCapture log;
    // Two declared predictors: two names passed over, still six values per row.
    const std::string text = rtcHeader(2, 3) + "\"x\" \"y\"\r\n" + motionRows;
    const auto record = readMotionEstimatesRtcFrom(text, "m.rtc");
    EXPECT_TRUE(record->readOk);
    EXPECT_EQ(record->predictorCount, 2);
    expectMotionColumns(*record);
}

TEST(MotionReaders, keepTheConstantFlagOfAnSdmFileAndStillTakeSixColumns) {
    LogCapture log;
    const std::string text = sdmHeader(7, 3, 1, 7) + motionColorLine + "9 9 9\r\n" + motionNameLine +
                             "\"Constant\"\r\n" + motionRows;
    const auto record = readMotionEstimatesSdmFrom(text, "m.sdm");
    // Six colour triples are read whatever the count: the seventh is taken for a name's place,
    // and the names are passed over by their quotes only.
    EXPECT_TRUE(record->readOk);
    EXPECT_EQ(record->includesConstant, 1);
    EXPECT_EQ(record->firstConfound, 7);
    expectMotionColumns(*record);
    EXPECT_EQ(log.lines[1], report(1, 7, 3, 1, 7));
}

TEST(MotionReaders, giveEmptyColumnsForNoDataPoints) {
    LogCapture log;
    const auto record = readMotionEstimatesSdmFrom(sdmHeader(6, 0, 0, 1) + motionColorLine + motionNameLine, "m.sdm");
    EXPECT_TRUE(record->readOk);
    for (const auto& column : record->motionColumns) EXPECT_TRUE(column.empty());
    EXPECT_THAT(log.lines, ElementsAre("Reading file: m.sdm", report(1, 6, 0, 0, 1), "Reading colors...",
                                       "Reading motion estimates..."));
}

struct AbandonCase {
    const char* what;
    std::string text;
    bool rtc;
    std::vector<std::string> lines;  // after "Reading file: m"
    std::int32_t points;             // the header value kept in the record
};

TEST(MotionReaders, abandonTextsTheyCannotTrust) {
    const std::vector<AbandonCase> cases = {
        {"negative point count", sdmHeader(6, -5, 0, 1) + motionColorLine + motionNameLine, false,
         {report(1, 6, -5, 0, 1), "Reading colors...", sdmAbandon}, -5},
        {"point count the file cannot hold", sdmHeader(6, 2'000'000'000, 0, 1) + motionColorLine + motionNameLine + motionRows,
         false, {report(1, 6, 2'000'000'000, 0, 1), "Reading colors...", sdmAbandon}, 2'000'000'000},
        {"negative predictor count", rtcHeader(-6, 3) + motionNameLine + motionRows, true,
         {report(2, -6, 3, 0, 1), "Adding colors...", rtcAbandon}, 3},
        {"predictor count the file cannot hold", rtcHeader(2'000'000'000, 3) + motionNameLine + motionRows, true,
         {report(2, 2'000'000'000, 3, 0, 1), "Adding colors...", rtcAbandon}, 3},
        {"too few rows", sdmHeader(6, 4, 0, 1) + motionColorLine + motionNameLine + motionRows, false,
         {report(1, 6, 4, 0, 1), "Reading colors...", "Reading motion estimates...", sdmAbandon}, 4},
        {"too few names", rtcHeader(7, 0) + motionNameLine, true,
         {report(2, 7, 0, 0, 1), "Adding colors...", rtcAbandon}, 0},
        {"word among the values", rtcHeader(6, 1) + motionNameLine + "1 2 3 x 5 6\r\n", true,
         {report(2, 6, 1, 0, 1), "Adding colors...", "Reading motion estimates...", rtcAbandon}, 1},
        {"word among the colours", sdmHeader(6, 0, 0, 1) + "255 50 fifty\r\n", false,
         {report(1, 6, 0, 0, 1), "Reading colors...", sdmAbandon}, 0},
        {"overlong count", "FileVersion: 1 NrOfPredictors: 99999999999\r\n", false, {sdmAbandon}, 0},
        {"header cut short", "FileVersion: 1\r\n\r\nNrOfPredictors: 6\r\nNrOfDataPoints:", false, {sdmAbandon}, 0},
        {"empty file", "", true, {rtcAbandon}, 0},
    };
    for (const AbandonCase& c : cases) {
        LogCapture log;
        const auto record = c.rtc ? readMotionEstimatesRtcFrom(c.text, "m") : readMotionEstimatesSdmFrom(c.text, "m");
        EXPECT_FALSE(record->readOk) << c.what;
        EXPECT_EQ(record->dataPointCount, c.points) << c.what;
        // No column arrives unless it is complete.
        for (const auto& column : record->motionColumns) EXPECT_TRUE(column.empty()) << c.what;
        std::vector<std::string> expected = {"Reading file: m"};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        EXPECT_THAT(log.lines, ElementsAreArray(expected)) << c.what;
    }
}

TEST(MotionReaders, reportAMissingFileAndReturnAnEmptyRecord) {
    ScratchFolder folder;
    const std::string path = (folder / "missing_3DMC.sdm").string();
    for (bool rtc : {false, true}) {
        LogCapture log;
        const auto record = rtc ? readMotionEstimatesRtc(path.c_str()) : readMotionEstimatesSdm(path.c_str());
        EXPECT_TRUE(record->readOk);
        EXPECT_EQ(record->kind, ConfoundKind::Motion);
        EXPECT_EQ(record->dataPointCount, 0);
        EXPECT_EQ(record->predictorCount, 0);
        EXPECT_THAT(log.lines, ElementsAre("Reading file: " + path, "Unable to open the motion estimates file."));
    }
}

TEST(MotionReaders, readALongFileThroughItsPathAsFromItsBytes) {
    ScratchFolder folder;
    std::string rows;
    for (int r = 0; r < 20'000; ++r) rows += motionRows.substr(static_cast<std::size_t>(r % 3) * 74, 74);
    const std::string text = sdmHeader(6, 20'000, 0, 1) + motionColorLine + motionNameLine + rows;
    ASSERT_GT(text.size(), 1'000'000u);
    writeWholeFile(folder / "long_3DMC.sdm", text);
    LogCapture log;
    const auto fromPath = readMotionEstimatesSdm((folder / "long_3DMC.sdm").string().c_str());
    const auto fromBytes = readMotionEstimatesSdmFrom(text, "m");
    ASSERT_TRUE(fromPath->readOk);
    EXPECT_EQ(fromPath->motionColumns, fromBytes->motionColumns);
    EXPECT_EQ(fromPath->motionColumns[1][19'999], -0.000387509);

    // The file's length bounds the counts read through the path as well.
    writeWholeFile(folder / "short_3DMC.sdm", sdmHeader(6, 200, 0, 1) + motionColorLine + motionNameLine + motionRows);
    log.lines.clear();
    const auto tooShort = readMotionEstimatesSdm((folder / "short_3DMC.sdm").string().c_str());
    EXPECT_FALSE(tooShort->readOk);
    EXPECT_EQ(log.lines.back(), sdmAbandon);
    // The count is refused before any row is read.
    EXPECT_THAT(log.lines, ::testing::Not(::testing::Contains("Reading motion estimates...")));
}

TEST(MotionReaders, readAFileThroughItsPath) {
    LogCapture log;
    const std::string path = (goldenFolder() / "mr_run1_3DMC.sdm").string();
    const auto record = readMotionEstimatesSdm(path.c_str());
    EXPECT_TRUE(record->readOk);
    EXPECT_EQ(record->dataPointCount, 200);
    EXPECT_EQ(record->motionColumns[5].size(), 200u);
    EXPECT_EQ(log.lines.front(), "Reading file: " + path);
}

// ---- heart rate and respiration ---------------------------------------------------------

// P columns, value of column c at row r = -(r + c / 4), constant column (when asked) 1.
std::string confoundRows(int predictors, int points, bool constant) {
    std::string rows;
    for (int r = 0; r < points; ++r) {
        for (int c = 0; c < predictors; ++c) {
            const bool isConstant = constant && c == predictors - 1;
            char field[32];
            std::snprintf(field, sizeof field, "%12g", isConstant ? 1.0 : -(r + c * 0.25));
            rows += field;  // negative values touch the field before
        }
        rows += "\r\n";
    }
    return rows;
}

TEST(ConfoundReaders, dropTheConstantOfAnSdmFile) {
    for (int constant : {1, 0}) {
        LogCapture log;
        const std::string text = sdmHeader(3, 100, constant, 1) + "200 0 0   0 200 0   255 255 255\r\n" +
                                 "\"HR\" \"HRV\" \"Constant\"\r\n" + confoundRows(3, 100, constant != 0);
        const auto record = readConfoundsSdmFrom(text, "hr.sdm", ConfoundKind::HeartRate);
        SCOPED_TRACE(constant);
        EXPECT_TRUE(record->readOk);
        EXPECT_EQ(record->kind, ConfoundKind::HeartRate);
        EXPECT_EQ(record->includesConstant, 0);
        EXPECT_EQ(record->dataPointCount, 100);
        const std::size_t kept = constant ? 2 : 3;
        EXPECT_EQ(record->predictorCount, static_cast<std::int32_t>(kept));
        std::vector<std::int32_t> colors = {200, 0, 0, 0, 200, 0, 255, 255, 255};
        colors.resize(kept * 3);
        EXPECT_EQ(flat(record->colors), colors);
        std::vector<std::string> names = {"\"HR\"", "\"HRV\"", "\"Constant\""};
        names.resize(kept);
        EXPECT_EQ(record->names, names);
        ASSERT_EQ(record->columns.size(), kept);
        for (std::size_t c = 0; c < kept; ++c) {
            ASSERT_EQ(record->columns[c].size(), 100u);
            for (std::size_t r = 0; r < 100; r += 33)
                EXPECT_EQ(record->columns[c][r], -(static_cast<double>(r) + static_cast<double>(c) * 0.25));
        }
        EXPECT_THAT(log.lines, ElementsAre("Reading file: hr.sdm", report(1, 3, 100, constant, 1),
                                           "Reading colors...", "Reading confounds..."));
    }
}

TEST(ConfoundReaders, colourAnRtcFileByColumn) {
    for (int predictors : {3, 14}) {
        LogCapture log;
        std::string names;
        for (int c = 0; c < predictors; ++c) names += "\"l_" + std::to_string(c) + " B\" ";
        const std::string text = rtcHeader(predictors, 4) + names + "\r\n" + confoundRows(predictors, 4, false);
        const auto record = readConfoundsRtcFrom(text, "resp.rtc", ConfoundKind::Respiration);
        EXPECT_TRUE(record->readOk);
        EXPECT_EQ(record->kind, ConfoundKind::Respiration);
        EXPECT_EQ(record->predictorCount, predictors);
        EXPECT_EQ(record->includesConstant, 0);
        EXPECT_EQ(record->firstConfound, 1);
        ASSERT_EQ(record->colors.size(), static_cast<std::size_t>(predictors));
        for (int c = 0; c < predictors; ++c) {
            const ColorTriple& color = record->colors[static_cast<std::size_t>(c)];
            EXPECT_EQ(color.red, 255);
            EXPECT_EQ(color.green, 255);
            EXPECT_EQ(color.blue, 20 * c);
            EXPECT_EQ(record->names[static_cast<std::size_t>(c)], "\"l_" + std::to_string(c) + " B\"");
            EXPECT_EQ(record->columns[static_cast<std::size_t>(c)][3], -(3 + c * 0.25));
        }
        EXPECT_THAT(log.lines, ElementsAre("Reading file: resp.rtc", report(2, predictors, 4, 0, 1),
                                           "Reading colors...", "Reading confounds..."));
    }
    LogCapture log;
    std::string names;
    for (int c = 0; c < 14; ++c) names += "\"n\" ";
    const auto record = readConfoundsRtcFrom(rtcHeader(14, 0) + names, "r.rtc", ConfoundKind::Respiration);
    EXPECT_TRUE(record->readOk);
    EXPECT_EQ(record->colors.back().blue, 260);
}

TEST(ConfoundReaders, keepNamesWithoutBlanksAsWordsQuotesIncluded) {
    LogCapture log;
    const std::string text = rtcHeader(2, 1) + "\"Pulse\"\t\"RVT\"\r\n1 2\r\n";
    const auto record = readConfoundsRtcFrom(text, "r.rtc", ConfoundKind::HeartRate);
    EXPECT_THAT(record->names, ElementsAre("\"Pulse\"", "\"RVT\""));
    EXPECT_THAT(record->columns[1], ElementsAre(2.0));
}

TEST(ConfoundReaders, giveEmptyColumnsForNoDataPoints) {
    LogCapture log;
    const auto record = readConfoundsSdmFrom(sdmHeader(2, 0, 0, 1) + "1 2 3 4 5 6 \"a\" \"b\"", "h.sdm",
                                             ConfoundKind::HeartRate);
    EXPECT_TRUE(record->readOk);
    ASSERT_EQ(record->columns.size(), 2u);
    EXPECT_TRUE(record->columns[0].empty());
}

TEST(ConfoundReaders, abandonTextsTheyCannotTrust) {
    const std::vector<AbandonCase> cases = {
        {"negative predictor count", sdmHeader(-2, 3, 0, 1) + "1 2 3", false,
         {report(1, -2, 3, 0, 1), "Reading colors...", sdmAbandon}, 3},
        {"a constant but no predictor", sdmHeader(0, 3, 1, 1), false,
         {report(1, 0, 3, 1, 1), "Reading colors...", sdmAbandon}, 3},
        {"predictor count the file cannot hold", rtcHeader(1'000'000'000, 1) + "\"a\" 1", true,
         {report(2, 1'000'000'000, 1, 0, 1), "Reading colors...", rtcAbandon}, 1},
        {"negative point count", rtcHeader(1, -1) + "\"a\"", true,
         {report(2, 1, -1, 0, 1), "Reading colors...", rtcAbandon}, -1},
        {"point count the file cannot hold", rtcHeader(2, 100'000'000) + "\"a\" \"b\" 1 2 3 4", true,
         {report(2, 2, 100'000'000, 0, 1), "Reading colors...", rtcAbandon}, 100'000'000},
        {"file ends among the names", rtcHeader(3, 0) + "\"a\" \"b\"", true,
         {report(2, 3, 0, 0, 1), "Reading colors...", rtcAbandon}, 0},
        {"file ends among the colours", sdmHeader(2, 0, 0, 1) + "1 2 3 4", false,
         {report(1, 2, 0, 0, 1), "Reading colors...", sdmAbandon}, 0},
        {"word among the values", rtcHeader(2, 2) + "\"a\" \"b\" 1 2 3 nan", true,
         {report(2, 2, 2, 0, 1), "Reading colors...", "Reading confounds...", rtcAbandon}, 2},
        {"value out of range", rtcHeader(1, 1) + "\"a\" 1e999", true,
         {report(2, 1, 1, 0, 1), "Reading colors...", "Reading confounds...", rtcAbandon}, 1},
        {"word for a count", "FileVersion: 1 Type: DesignMatrix NrOfPredictors: many", true, {rtcAbandon}, 0},
    };
    for (const AbandonCase& c : cases) {
        LogCapture log;
        const auto record = c.rtc ? readConfoundsRtcFrom(c.text, "m", ConfoundKind::Respiration)
                                  : readConfoundsSdmFrom(c.text, "m", ConfoundKind::Respiration);
        EXPECT_FALSE(record->readOk) << c.what;
        EXPECT_EQ(record->dataPointCount, c.points) << c.what;
        EXPECT_TRUE(record->columns.empty()) << c.what;
        std::vector<std::string> expected = {"Reading file: m"};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        EXPECT_THAT(log.lines, ElementsAreArray(expected)) << c.what;
    }
}

TEST(ConfoundReaders, keepWhatWasCompleteWhenAbandoning) {
    LogCapture log;
    const std::string text = sdmHeader(3, 2, 1, 1) + "1 2 3 4 5 6 7 8 9 \"a\" \"b\" \"c\" 1 2 3 4 x";
    const auto record = readConfoundsSdmFrom(text, "m", ConfoundKind::HeartRate);
    EXPECT_FALSE(record->readOk);
    EXPECT_EQ(flat(record->colors), (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_THAT(record->names, ElementsAre("\"a\"", "\"b\""));
    EXPECT_TRUE(record->columns.empty());
    // The header values stay as read: the constant is not yet dropped.
    EXPECT_EQ(record->predictorCount, 3);
    EXPECT_EQ(record->includesConstant, 1);
}

TEST(ConfoundReaders, reportAMissingFileAndReturnAnEmptyRecord) {
    ScratchFolder folder;
    const std::string path = (folder / "missing_HR.rtc").string();
    for (bool rtc : {false, true}) {
        LogCapture log;
        const auto record = rtc ? readConfoundsRtc(path.c_str(), ConfoundKind::HeartRate)
                                : readConfoundsSdm(path.c_str(), ConfoundKind::HeartRate);
        EXPECT_TRUE(record->readOk);
        EXPECT_EQ(record->kind, ConfoundKind::HeartRate);
        EXPECT_EQ(record->dataPointCount, 0);
        EXPECT_TRUE(record->columns.empty());
        EXPECT_THAT(log.lines, ElementsAre("Reading file: " + path, "Unable to open the design matrix file."));
    }
}

TEST(ConfoundReaders, logPathsOfAnyLengthWhole) {
    LogCapture log;
    const std::string path = "D:\\" + std::string(480, 'p') + "\\resp.rtc";
    readConfoundsRtcFrom(rtcHeader(1, 1) + "\"a\" 1", path.c_str(), ConfoundKind::Respiration);
    EXPECT_EQ(log.lines.front(), "Reading file: " + path);
}

}  // namespace
