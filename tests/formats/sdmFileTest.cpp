#include "formats/sdmFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace morvane {
namespace {

SdmContent sample() {
    SdmContent content;
    content.includesConstant = 1;
    content.firstConfoundPredictor = 3;
    content.dataPoints = 3;
    content.colors = {{255, 0, 0}, {0, 255, 0}, {255, 255, 255}};
    content.names = {"Objects in LVF", "B", "Constant"};
    content.values = {0.0, -0.000387509, 1.0, -1.23456e-05, -123456.0, 1.0, 1e-300, 12.5, 1.0};
    return content;
}

TEST(SdmFile, WrittenFilesReadBackWholeWithBlanksInNames) {
    const SdmContent content = sample();
    const std::string text = sdmText(content);
    EXPECT_EQ(text.rfind("FileVersion:             1\n\nNrOfPredictors:          3\n", 0), 0u);
    EXPECT_NE(text.find("FirstConfoundPredictor:  3\n\n255 0 0   0 255 0   255 255 255\n"), std::string::npos);
    auto parsed = parseSdm(text);
    ASSERT_TRUE(parsed) << parsed.error;
    EXPECT_EQ(parsed.value->names, content.names);
    EXPECT_EQ(parsed.value->colors, content.colors);
    EXPECT_EQ(parsed.value->includesConstant, 1);
    ASSERT_EQ(parsed.value->values.size(), content.values.size());
    for (std::size_t i = 0; i < content.values.size(); ++i)
        EXPECT_NEAR(parsed.value->values[i], content.values[i], std::abs(content.values[i]) * 1e-5);
    // Every value has white space before it, even where its text fills the field.
    const std::string rows = text.substr(text.find("\"Constant\"\n") + 11);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        if (rows[i] == '-') {
            EXPECT_TRUE(rows[i - 1] == ' ' || rows[i - 1] == 'e') << rows;
        }
    }
}

TEST(SdmFile, TouchingNegativeValuesAreSeparateNumbers) {
    const std::string text =
        "FileVersion: 1\nNrOfPredictors: 3\nNrOfDataPoints: 2\nIncludesConstant: 0\nFirstConfoundPredictor: 1\n"
        "1 2 3 4 5 6 7 8 9\n\"a b\" \"c\" d\n"
        "   0.0310625-0.000387509  -0.0247146\n1e-05-2.5e-3-7\n";
    auto parsed = parseSdm(text);
    ASSERT_TRUE(parsed) << parsed.error;
    EXPECT_EQ(parsed.value->names, (std::vector<std::string>{"a b", "c", "d"}));
    EXPECT_DOUBLE_EQ(parsed.value->value(0, 0), 0.0310625);
    EXPECT_DOUBLE_EQ(parsed.value->value(0, 1), -0.000387509);
    EXPECT_DOUBLE_EQ(parsed.value->value(0, 2), -0.0247146);
    EXPECT_DOUBLE_EQ(parsed.value->value(1, 0), 1e-05);
    EXPECT_DOUBLE_EQ(parsed.value->value(1, 1), -2.5e-3);
    EXPECT_DOUBLE_EQ(parsed.value->value(1, 2), -7.0);
}

TEST(SdmFile, IncompleteOrOverlongFilesAreRefused) {
    const std::string whole = sdmText(sample());
    struct Case {
        const char* what;
        std::string text;
    };
    const Case cases[] = {
        {"the four header lines a short confound leaves",
         "FileVersion: 1\n\nNrOfPredictors: 13\nNrOfDataPoints: 150\n"},
        {"a missing last value", whole.substr(0, whole.rfind("1\n"))},
        {"a missing name", "FileVersion: 1\nNrOfPredictors: 2\nNrOfDataPoints: 0\nIncludesConstant: 0\n"
                           "FirstConfoundPredictor: 1\n1 2 3 4 5 6\n\"a\"\n"},
        {"an unclosed name", "FileVersion: 1\nNrOfPredictors: 1\nNrOfDataPoints: 0\nIncludesConstant: 0\n"
                             "FirstConfoundPredictor: 1\n1 2 3\n\"a\n"},
        {"a word among the values", whole.substr(0, whole.size() - 2) + "x\n"},
        {"text after the last row", whole + "1.0\n"},
        {"counts beyond the file", "FileVersion: 1\nNrOfPredictors: 100000\nNrOfDataPoints: 100000000\n"
                                   "IncludesConstant: 0\nFirstConfoundPredictor: 1\n"},
        {"a negative count", "FileVersion: 1\nNrOfPredictors: -1\nNrOfDataPoints: 2\nIncludesConstant: 0\n"
                             "FirstConfoundPredictor: 1\n"},
        {"empty", ""},
    };
    for (const Case& c : cases) {
        auto parsed = parseSdm(c.text);
        EXPECT_FALSE(parsed) << c.what;
        EXPECT_FALSE(parsed.error.empty()) << c.what;
    }
}

TEST(SdmFile, ConfoundHeadersGiveTheirCounts) {
    auto sdm = parseSdmHeader("FileVersion: 1\nNrOfPredictors: 3\nNrOfDataPoints: 150\nIncludesConstant: 1\n"
                              "FirstConfoundPredictor: 1\n");
    ASSERT_TRUE(sdm) << sdm.error;
    EXPECT_EQ(sdm.value->predictorCount, 3);
    EXPECT_EQ(sdm.value->dataPoints, 150);
    EXPECT_EQ(sdm.value->includesConstant, 1);
    auto rtc = parseRtcHeader("FileVersion: 2\nType: DesignMatrix\nNrOfPredictors: 4\nNrOfDataPoints: 147\n\"l_60 B\"");
    ASSERT_TRUE(rtc) << rtc.error;
    EXPECT_EQ(rtc.value->predictorCount, 4);
    EXPECT_EQ(rtc.value->dataPoints, 147);
    EXPECT_FALSE(parseRtcHeader("FileVersion: 2\nType: DesignMatrix\nNrOfPredictors: x\n"));
}

std::string printedRows(const std::vector<double>& values) {
    std::string expected;
    for (double value : values) {
        char field[64];
        std::snprintf(field, sizeof field, "%12.6g", value);
        expected += std::string(field[0] == ' ' ? "" : " ") + field + "\n";
    }
    return expected;
}

std::string writtenRows(const std::vector<double>& values) {
    SdmContent content;
    content.dataPoints = static_cast<int>(values.size());
    content.colors = {{1, 2, 3}};
    content.names = {"Only"};
    content.values = values;
    const std::string text = sdmText(content);
    return text.substr(text.find("\"Only\"\n") + 7);
}

// Six digits are rounded from the shortest text of a value, or taken from its exact expansion
// when that text ends in a 5 just after the sixth digit: over values of every magnitude and
// over such near-ties, the texts are printf's.
TEST(SdmFile, SixDigitTextsAreThoseOfPrintfAtTiesAndEveryMagnitude) {
    std::vector<double> values = {999999.5, 9999995.0, 1234565.0, 0.1234565, 9.999995e-5, 0.000999999500,
                                  1.0000005, 123456.5, 2.5e-5, 99999.95, -0.00012345650, 1e-4, 1e-5, 1e6, 1e5,
                                  std::numeric_limits<double>::denorm_min(), 3e-323, 1e-310, 2.5e-320, 2.2250738585072014e-308};
    std::mt19937_64 random(23);
    for (int i = 0; i < 100'000; ++i) {
        double value = 0.0;
        const std::uint64_t bits = random();
        std::memcpy(&value, &bits, sizeof value);
        values.push_back(value);
        // Seven digits ending in 5 (and their neighbours) at magnitudes from 1e-12 to 1e12.
        char text[64];
        std::snprintf(text, sizeof text, "%lld5e%d", static_cast<long long>(100000 + random() % 900000),
                      static_cast<int>(random() % 25) - 18);
        const double tie = std::strtod(text, nullptr);
        values.insert(values.end(), {tie, std::nextafter(tie, 0.0), std::nextafter(tie, HUGE_VAL), -tie});
        values.push_back(static_cast<float>(tie));
    }
    EXPECT_TRUE(writtenRows(values) == printedRows(values));
}

// From 1e-4 to 1e6 the six digits come from the value scaled by a power of ten: over random
// values of that range, the bounds of every decade and their neighbours, six-digit decimals,
// the halfway points between them and the values next to those, and integers, the texts are
// printf's.
TEST(SdmFile, SixDigitTextsOfFixedNotationAreThoseOfPrintf) {
    std::vector<double> values = {0.0, -0.0, 1.0, -1.0, 999999.0, 999999.4999999, 999999.5, 100000.0, 99999.95,
                                  0.000099999949999, 0.0001, 0.00010000005, 9.999995, 9.9999949999999};
    std::mt19937_64 random(29);
    std::uniform_real_distribution<double> exponent(-4.5, 6.5);
    for (int decade = -5; decade <= 6; ++decade) {
        const double bound = std::pow(10.0, decade);
        for (double value = bound, i = 0; i < 4; ++i, value = std::nextafter(value, HUGE_VAL)) values.push_back(value);
        for (double value = bound, i = 0; i < 4; ++i, value = std::nextafter(value, 0.0)) values.push_back(value);
    }
    for (int i = 0; i < 200'000; ++i) {
        const double value = std::pow(10.0, exponent(random)) * (random() % 2 ? 1.0 : -1.0);
        values.push_back(value);
        // A six-digit decimal of the same decade, the point halfway to the next, and their neighbours.
        char text[64];
        const int decade = static_cast<int>(std::floor(std::log10(std::fabs(value))));
        const long long digits = static_cast<long long>(100000 + random() % 900000);
        std::snprintf(text, sizeof text, "%llde%d", digits, decade - 5);
        const double decimal = std::strtod(text, nullptr);
        std::snprintf(text, sizeof text, "%lld5e%d", digits, decade - 6);
        const double halfway = std::strtod(text, nullptr);
        values.insert(values.end(), {decimal, halfway, std::nextafter(halfway, 0.0), std::nextafter(halfway, HUGE_VAL),
                                     std::round(value)});
    }
    EXPECT_TRUE(writtenRows(values) == printedRows(values));
}

// Plain decimals of up to 15 digits are read as their digits divided by a power of ten: over
// random texts of every length and point position, signs and leading zeros, and the longer ones
// that go the long way, the values are strtod's, bit for bit.
TEST(SdmFile, PlainDecimalsReadAsStrtodReadsThem) {
    std::mt19937_64 random(31);
    std::vector<std::string> texts = {"0", "-0", "5.", "-.5", ".5", "000.000", "999999999999999", "9999999999999999",
                                      "0.000000000000001", "1.00000000000000000001", "123456789012345.5"};
    for (int i = 0; i < 100'000; ++i) {
        std::string text = random() % 3 == 0 ? "-" : "";
        const int length = 1 + static_cast<int>(random() % 18);
        const int point = static_cast<int>(random() % (length + 2));
        for (int d = 0; d < length; ++d) {
            if (d == point) text += '.';
            text += static_cast<char>('0' + random() % 10);
        }
        texts.push_back(text);
    }
    std::string rows;
    for (const std::string& text : texts) rows += text + "\n";
    const std::string sdm = "FileVersion: 1\nNrOfPredictors: 1\nNrOfDataPoints: " + std::to_string(texts.size()) +
                            "\nIncludesConstant: 0\nFirstConfoundPredictor: 1\n1 2 3\n\"x\"\n" + rows;
    const auto parsed = parseSdm(sdm);
    ASSERT_TRUE(parsed) << parsed.error;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const double byStrtod = std::strtod(texts[i].c_str(), nullptr);
        const double read = parsed.value->values[i];
        ASSERT_TRUE(std::memcmp(&read, &byStrtod, sizeof read) == 0) << texts[i];
    }
}

// Values are written without printf and read without strtod where they can be; the texts
// and the values must still be exactly theirs.
TEST(SdmFile, ValuesAreThoseOfPrintfAndStrtod) {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> values = {0.0, -0.0, 1.0, -1.0, 1e-5, 9.999995e-5, 123456.5, 999999.5, 1e6, -1.23456e-300,
                                  1e300, inf, -inf, std::numeric_limits<double>::quiet_NaN(),
                                  std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max()};
    std::mt19937_64 random(17);
    std::uniform_real_distribution<float> predictor(-0.3f, 1.2f);
    for (int i = 0; i < 2000; ++i) values.push_back(predictor(random));
    EXPECT_EQ(writtenRows(values), printedRows(values));

    const std::vector<std::string> texts = {"+2.5",   "0x1A",      "-0X1p-2", "1e400", "-1e400", "1e-400", "4.9e-324",
                                            "2e-320", "infinity",  "-inf",    "nan",   "0.0310625-0.000387509",
                                            "1e5e3",  "123456789012345678901234567890.5e-10", "-.5", "5."};
    for (const std::string& number : texts) {
        const std::string sdm = "FileVersion: 1\nNrOfPredictors: 1\nNrOfDataPoints: 1\nIncludesConstant: 0\n"
                                "FirstConfoundPredictor: 1\n1 2 3\n\"x\"\n" + number + "\n";
        const auto parsed = parseSdm(sdm);
        char* end = nullptr;
        const double byStrtod = std::strtod(number.c_str(), &end);
        const bool wholeText = *end == '\0';
        ASSERT_EQ(static_cast<bool>(parsed), wholeText) << number;
        if (!wholeText) continue;
        const double read = parsed.value->value(0, 0);
        EXPECT_TRUE(std::memcmp(&read, &byStrtod, sizeof read) == 0 || (std::isnan(read) && std::isnan(byStrtod)))
            << number;
    }
}

}  // namespace
}  // namespace morvane
