// The page's pictures read back: the design matrix's grey levels, the heat map's colours,
// the FD trace, and the PNG and base64 encoders under them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <regex>

#include "pictureDecoding.h"
#include "report/base64.h"
#include "report/designMatrixPicture.h"
#include "report/fdTrace.h"
#include "report/heatMap.h"
#include "report/reportPage.h"
#include "report/svgNumbers.h"

namespace {

using morvane::ColumnKind;
using quorvel::test::decodePng;
using quorvel::test::embeddedPngs;

morvane::SdmContent matrixOf(int rows, std::vector<std::string> names, std::vector<double> values) {
    morvane::SdmContent matrix;
    matrix.dataPoints = rows;
    matrix.names = std::move(names);
    matrix.colors.assign(matrix.names.size(), morvane::Rgb{200, 100, 50});
    matrix.values = std::move(values);
    return matrix;
}

std::vector<morvane::PredictorFigures> predictorsOf(const morvane::SdmContent& matrix, std::vector<ColumnKind> kinds) {
    std::vector<morvane::PredictorFigures> predictors;
    for (std::size_t i = 0; i < matrix.names.size(); ++i) predictors.push_back({matrix.names[i], kinds[i], {}, {}, {}});
    return predictors;
}

// The grey cells of the design-matrix picture, as the page carries them.
morvane::RasterImage drawnCells(const morvane::SdmContent& matrix, std::vector<ColumnKind> kinds) {
    morvane::RunReport run;
    run.predictors = predictorsOf(matrix, std::move(kinds));
    const morvane::RunPictures pictures = morvane::drawRunPictures(run, &matrix, {});
    const auto pngs = embeddedPngs(pictures.designMatrix);
    if (pngs.size() != 1) return {};
    return decodePng(pngs[0], 1);
}

TEST(DesignMatrixPicture, EachColumnScaledToItsLargestMagnitudeWithTimeRunningDown) {
    // Rows top to bottom are volumes 1 to 4. A column that never goes negative runs from black
    // at 0 to white at its largest value; one that does runs from black at -max through middle
    // grey; a column of zeros is black; the scale of each column is its own.
    const auto matrix = matrixOf(4, {"rising", "signed", "zero", "constant"},
                                 {0.0, -2.0, 0.0, 1.0,  //
                                  1.0, 1.0, 0.0, 1.0,   //
                                  2.0, 0.0, 0.0, 1.0,   //
                                  4.0, 2.0, 0.0, 1.0});
    const auto cells = drawnCells(matrix, {ColumnKind::Task, ColumnKind::Confound, ColumnKind::Confound, ColumnKind::Constant});
    ASSERT_EQ(cells.width, 4);
    ASSERT_EQ(cells.height, 4);
    const std::vector<std::uint8_t> expected{0, 0, 0, 255,  //
                                             64, 191, 0, 255,  //
                                             128, 128, 0, 255,  //
                                             255, 255, 0, 255};
    EXPECT_EQ(cells.pixels, expected);
}

TEST(DesignMatrixPicture, LongRunsAreAveragedDownToThePictureRows) {
    // Twice as many volumes as picture rows: each row the mean of two volumes, so a column
    // alternating 0 and 2 is half its largest value throughout, and a one-volume spike of 2 in
    // a column of zeros keeps half its brightness rather than vanishing.
    const int rows = 2 * morvane::designMatrixPixelRows;
    std::vector<double> values;
    for (int row = 0; row < rows; ++row) {
        values.push_back(row % 2 == 0 ? 0.0 : 2.0);
        values.push_back(row == 101 ? 2.0 : 0.0);
    }
    const auto cells = drawnCells(matrixOf(rows, {"alternating", "spike"}, values), {ColumnKind::Task, ColumnKind::Confound});
    ASSERT_EQ(cells.width, 2);
    ASSERT_EQ(cells.height, morvane::designMatrixPixelRows);
    for (int row = 0; row < cells.height; ++row) {
        EXPECT_EQ(cells.pixels[static_cast<std::size_t>(row) * 2], 128) << "row " << row;
        EXPECT_EQ(cells.pixels[static_cast<std::size_t>(row) * 2 + 1], row == 50 ? 128 : 0) << "row " << row;
    }
}

TEST(DesignMatrixPicture, ValuesThatAreNotFiniteAreDrawnAsZeroAndDoNotSetTheScale) {
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const auto cells = drawnCells(matrixOf(3, {"a"}, {nan, 1.0, inf}), {ColumnKind::Task});
    ASSERT_EQ(cells.height, 3);
    EXPECT_EQ(cells.pixels, (std::vector<std::uint8_t>{0, 255, 0}));
}

TEST(DesignMatrixPicture, NothingIsDrawnForAnEmptyOrInconsistentMatrix) {
    struct Case {
        const char* what;
        morvane::SdmContent matrix;
    };
    const Case cases[] = {
        {"no columns", matrixOf(3, {}, {})},
        {"no rows", matrixOf(0, {"a", "b"}, {})},
        {"too few values", matrixOf(2, {"a", "b"}, {1.0, 2.0, 3.0})},
    };
    for (const Case& c : cases) {
        morvane::RunReport run;
        EXPECT_EQ(morvane::drawRunPictures(run, &c.matrix, {}).designMatrix, "") << c.what;
    }
    morvane::RunReport run;
    EXPECT_EQ(morvane::drawRunPictures(run, nullptr, {}).designMatrix, "");
}

TEST(DesignMatrixPicture, BlocksAreMarkedWhereTheKindsChange) {
    const auto matrix = matrixOf(2, {"t1", "t2", "c1", "k"}, std::vector<double>(8, 1.0));
    morvane::RunReport run;
    run.predictors = predictorsOf(matrix, {ColumnKind::Task, ColumnKind::Task, ColumnKind::Confound, ColumnKind::Constant});
    const std::string svg = morvane::drawRunPictures(run, &matrix, {}).designMatrix;
    EXPECT_NE(svg.find("task: 2 columns"), std::string::npos);
    EXPECT_NE(svg.find("confound: 1 column<"), std::string::npos);
    EXPECT_NE(svg.find("constant: 1 column<"), std::string::npos);
    EXPECT_NE(svg.find("task (2)"), std::string::npos);
    for (const char* name : {">t1<", ">t2<", ">c1<", ">k<"}) EXPECT_NE(svg.find(name), std::string::npos) << name;
}

TEST(HeatMap, DivergingScaleIsCentredOnZero) {
    struct Case {
        std::optional<double> r;
        morvane::Colour colour;
    };
    const Case cases[] = {
        {-1.0, {5, 113, 176}},
        {-0.5, {146, 197, 222}},
        {0.0, {247, 247, 247}},
        {0.5, {244, 165, 130}},
        {1.0, {202, 0, 32}},
        {-3.0, {5, 113, 176}},  // outside [-1, 1]: the end of the scale
        {1.5, {202, 0, 32}},
        {std::nullopt, morvane::noCorrelationColour},
        {std::numeric_limits<double>::quiet_NaN(), morvane::noCorrelationColour},
    };
    for (const Case& c : cases) EXPECT_EQ(morvane::correlationColour(c.r), c.colour) << (c.r ? *c.r : 99.0);
    // Symmetric in strength: |r| = 0.25 is as far from white on either side.
    const auto distance = [](morvane::Colour a) { return std::abs(a[0] - 247) + std::abs(a[1] - 247) + std::abs(a[2] - 247); };
    EXPECT_NEAR(distance(morvane::correlationColour(0.25)), distance(morvane::correlationColour(-0.25)), 20);
    EXPECT_NE(morvane::noCorrelationColour, morvane::correlationColour(0.0));
}

TEST(HeatMap, CellsDecodeToTheScaleAndNullRowsAreHatched) {
    morvane::RunReport run;
    for (const char* name : {"a", "b", "constant"}) run.predictors.push_back({name, ColumnKind::Task, {}, {}, {}});
    run.predictors[2].kind = ColumnKind::Constant;
    run.correlation = {{1.0, -1.0, std::nullopt}, {-1.0, 1.0, std::nullopt}, {std::nullopt, std::nullopt, std::nullopt}};
    const std::string svg = morvane::drawRunPictures(run, nullptr, {}).correlation;
    const auto pngs = embeddedPngs(svg);
    ASSERT_EQ(pngs.size(), 1u);
    const auto cells = decodePng(pngs[0], 3);
    ASSERT_EQ(cells.width, 3);
    ASSERT_EQ(cells.height, 3);
    const auto pixel = [&](int row, int column) {
        const std::size_t at = (static_cast<std::size_t>(row) * 3 + static_cast<std::size_t>(column)) * 3;
        return morvane::Colour{cells.pixels[at], cells.pixels[at + 1], cells.pixels[at + 2]};
    };
    EXPECT_EQ(pixel(0, 0), morvane::correlationColour(1.0));
    EXPECT_EQ(pixel(0, 1), morvane::correlationColour(-1.0));
    EXPECT_EQ(pixel(1, 0), morvane::correlationColour(-1.0));
    EXPECT_EQ(pixel(2, 1), morvane::noCorrelationColour);
    EXPECT_EQ(pixel(0, 2), morvane::noCorrelationColour);
    // The constant's row and column under the hatch, plus the legend's swatch.
    EXPECT_EQ(quorvel::test::occurrences(svg, "url(#no-correlation)"), 3u);
    EXPECT_NE(svg.find("url(#correlation-scale)"), std::string::npos);
}

TEST(HeatMap, NothingIsDrawnForAMatrixThatDoesNotFitThePredictors) {
    morvane::RunReport run;
    run.predictors = {{"a", ColumnKind::Task, {}, {}, {}}, {"b", ColumnKind::Task, {}, {}, {}}};
    run.correlation = {{1.0, 0.5}, {0.5}};
    EXPECT_EQ(morvane::drawRunPictures(run, nullptr, {}).correlation, "");
    run.correlation = {{1.0}};
    EXPECT_EQ(morvane::drawRunPictures(run, nullptr, {}).correlation, "");
}

// The points of an SVG path's "M x y" / "L x y" commands.
std::vector<std::pair<double, double>> pathPoints(const std::string& svg, const std::string& pathClass) {
    const auto start = svg.find("class=\"" + pathClass + "\" d=\"");
    std::vector<std::pair<double, double>> points;
    if (start == std::string::npos) return points;
    const auto begin = svg.find("d=\"", start) + 3;
    const std::string d = svg.substr(begin, svg.find('"', begin) - begin);
    const std::regex command("[ML](-?[0-9.]+) (-?[0-9.]+)");
    for (auto it = std::sregex_iterator(d.begin(), d.end(), command); it != std::sregex_iterator(); ++it)
        points.emplace_back(std::stod((*it)[1]), std::stod((*it)[2]));
    return points;
}

TEST(FdTrace, ALongSeriesKeepsItsSpikeWithinAFewPointsPerPixel) {
    morvane::MotionFigures motion;
    motion.series.assign(5000, 0.1);
    motion.series[0] = 0.0;
    motion.series[3000] = 2.0;
    const std::string svg = morvane::fdTrace(motion, 0.5);
    const auto points = pathPoints(svg, "trace");
    ASSERT_FALSE(points.empty());
    EXPECT_LE(points.size(), 2u * 620u);
    // Exactly one point stands above the rest: the spike (SVG y grows downwards).
    std::size_t highest = 0;
    for (std::size_t i = 1; i < points.size(); ++i)
        if (points[i].second < points[highest].second) highest = i;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i == highest) continue;
        EXPECT_GT(points[i].second, points[highest].second + 50.0);
    }
    // Only the spike is over the threshold: one mark under the plot, and the threshold drawn.
    EXPECT_EQ(pathPoints(svg, "over").size(), 1u);
    EXPECT_NE(svg.find("class=\"threshold\""), std::string::npos);
    EXPECT_NE(svg.find("threshold 0.5 mm"), std::string::npos);
}

TEST(FdTrace, ValuesThatAreNotFiniteBreakTheLine) {
    morvane::MotionFigures motion;
    motion.series = {0.0, 0.2, std::numeric_limits<double>::quiet_NaN(), 0.3, 0.1};
    const std::string svg = morvane::fdTrace(motion, 0.5);
    EXPECT_EQ(pathPoints(svg, "trace").size(), 4u);
    const auto start = svg.find("class=\"trace\" d=\"");
    ASSERT_NE(start, std::string::npos);
    const std::string d = svg.substr(start, svg.find("\"/>", start) - start);
    EXPECT_EQ(quorvel::test::occurrences(d, "M"), 2u);  // two pieces, either side of the gap
    EXPECT_FALSE(std::regex_search(svg, std::regex("\\b(nan|inf)\\b", std::regex::icase)));
    EXPECT_EQ(morvane::fdTrace(morvane::MotionFigures{}, 0.5), "");
}

TEST(PngImage, RejectsImagesWhosePixelsDoNotFitAndRoundTripsRgb) {
    EXPECT_FALSE(morvane::encodePng({0, 0, 1, {}}));
    EXPECT_FALSE(morvane::encodePng({2, 2, 1, {1, 2, 3}}));
    EXPECT_FALSE(morvane::encodePng({1, 1, 2, {1, 2}}));
    const morvane::RasterImage rgb{2, 1, 3, {255, 0, 0, 0, 10, 250}};
    const auto png = morvane::encodePng(rgb);
    ASSERT_TRUE(png);
    EXPECT_EQ(png.value->substr(1, 3), "PNG");
    EXPECT_EQ(decodePng(*png.value, 3).pixels, rgb.pixels);
}

TEST(Base64, KnownVectors) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [bytes, text] : cases) EXPECT_EQ(morvane::base64(bytes), text) << bytes;
    EXPECT_EQ(morvane::base64(std::string("\xFF\x00\xFE", 3)), "/wD+");
}

}  // namespace

namespace {

TEST(SvgNumbers, OneDecimalAtMostWithoutTrailingZero) {
    const std::pair<double, const char*> cases[] = {
        {0.0, "0"},      {0.04, "0"},     {-0.04, "0"},    {0.06, "0.1"},  {-0.06, "-0.1"}, {12.34, "12.3"},
        {12.0, "12"},    {-3.96, "-4"},   {560.0, "560"},  {1234567.25, "1234567.3"},
        {std::numeric_limits<double>::quiet_NaN(), "0"},   {std::numeric_limits<double>::infinity(), "0"},
        {1e20, "100000000000000000000.0"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(morvane::svgNumber(value), text) << value;
}

}  // namespace
