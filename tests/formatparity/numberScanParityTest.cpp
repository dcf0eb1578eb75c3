// The scanner reads runs of digits several bytes at a time; wherever such a run ends (after
// any count of digits, on any byte, at the end of the text) it must read exactly what
// stream extraction reads.
#include <cmath>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "confounds/numberFormat.h"
#include "tests/confounds/numberTexts.h"
#include "confounds/numberScanner.h"
#include "confounds/tokenReader.h"

namespace {

using namespace numbertexts;

void expectAsStreamExtractionAt(const std::string& text) {
    std::istringstream in(text);
    double expected = 0.0;
    in >> expected;
    const bool expectedOk = !in.fail();
    const std::size_t expectedLength = !expectedOk ? 0 : in.eof() ? text.size() : static_cast<std::size_t>(in.tellg());

    double value = 0.0;
    const ScanResult result = scanDouble(text.data(), text.data() + text.size(), false, value);
    ASSERT_EQ(result.status == ScanStatus::Ok, expectedOk) << "[" << text << "]";
    if (!expectedOk) return;
    ASSERT_EQ(result.length, expectedLength) << "[" << text << "]";
    ASSERT_EQ(std::signbit(value), std::signbit(expected)) << "[" << text << "]";
    ASSERT_EQ(value, expected) << "[" << text << "]";
}

// Short texts take the scanner's careful way, texts with room after the token its quick one;
// both must read alike.
void expectAsStreamExtraction(const std::string& text) {
    expectAsStreamExtractionAt(text);
    expectAsStreamExtractionAt(text + std::string(24, ' '));
    expectAsStreamExtractionAt(text + std::string(24, '7'));
}

// A text may be copied for its value's default notation exactly when it is that notation;
// only exponents of three digits are left to the conversion.
void expectCopiedExactlyWhenDefaultNotation(const std::string& text, const std::string& room) {
    const std::string padded = text + room;
    const char* first = padded.data();
    const char* last = first + padded.size();
    double value = 0.0;
    const ScanResult scanned = scanDouble(first, last, false, value);
    bool copied = false;
    const ScanResult delimited = scanDoubleText(first, last, false, copied);
    ASSERT_EQ(delimited.status, scanned.status) << "[" << text << "]";
    if (scanned.status != ScanStatus::Ok) return;
    ASSERT_EQ(delimited.length, scanned.length) << "[" << text << "]";
    const std::string token = padded.substr(0, scanned.length);
    const std::size_t e = token.find('e');
    const bool threeDigitExponent = e != std::string::npos && token.size() - e == 5;
    const bool sameText = defaultNotation(value) == token;
    if (copied) {
        ASSERT_TRUE(sameText) << "[" << token << "] is copied but written as " << defaultNotation(value);
    }
    if (sameText && !threeDigitExponent) {
        ASSERT_TRUE(copied) << "[" << token << "] is its own default notation but is not copied";
    }
}

// A text of 1 to mostLength characters drawn from the alphabet.
std::string randomText(const std::string& alphabet, int mostLength, std::mt19937& random) {
    std::string text;
    const int length = 1 + static_cast<int>(random() % static_cast<unsigned>(mostLength));
    for (int k = 0; k < length; ++k) text += alphabet[random() % alphabet.size()];
    return text;
}

TEST(NumberScanParity, digitRunsOfEveryLengthEndingOnEveryKindOfByte) {
    const std::vector<std::string> endings = {"", " ", "\t", "\n", "/", ":", "-0.5", "+", ".", "e5", "E-3", "e", "x",
                                              "\"", std::string(1, '\0'), "\x80", "\xff", "\xb9", "9"};
    std::mt19937 random(3);
    for (int integerDigits = 0; integerDigits <= 3; ++integerDigits) {
        for (int fractionDigits = 0; fractionDigits <= 26; ++fractionDigits) {
            for (const std::string& ending : endings) {
                for (int variant = 0; variant < 3; ++variant) {
                    std::string text = variant == 1 ? "-" : "";
                    for (int i = 0; i < integerDigits; ++i) text += static_cast<char>('0' + random() % 10);
                    text += '.';
                    for (int i = 0; i < fractionDigits; ++i)
                        text += variant == 2 && i < 5 ? '0' : static_cast<char>('0' + random() % 10);
                    // With and without room after the digits for a whole block of eight.
                    expectAsStreamExtraction(text + ending);
                    expectAsStreamExtraction(text + ending + "        ");
                }
            }
        }
    }
}

TEST(NumberScanParity, randomTextsOfDigitsPointsAndSigns) {
    const std::string alphabet = "0123456789012345678901234567890123456789..e-+ \x80/:";
    std::mt19937 random(4);
    for (int i = 0; i < 200'000; ++i) {
        std::string text = randomText(alphabet, 30, random);
        // The scanner starts on a token; skipping the white space before it is its reader's.
        if (text[0] == ' ') text[0] = '7';
        expectAsStreamExtraction(text);
    }
}

// The token reader skips runs of blanks several bytes at a time: after runs of every length,
// mixed with the other white space, from memory and from a stream, it reads what the
// stream reads.
TEST(NumberScanParity, tokensBehindRunsOfWhiteSpaceOfEveryLength) {
    std::mt19937 random(8);
    const std::string otherSpace = "\t\n\r\v\f";
    std::string text;
    for (int i = 0; i < 60'000; ++i) {
        const int blanks = static_cast<int>(random() % 21);
        for (int k = 0; k < blanks; ++k)
            text += random() % 9 == 0 ? otherSpace[random() % otherSpace.size()] : ' ';
        if (blanks == 0 && !text.empty()) text += ' ';
        text += std::to_string(static_cast<int>(random() % 2000) - 1000) + "." + std::to_string(random() % 1000000);
    }
    text += std::string(static_cast<std::size_t>(random() % 13), ' ');

    std::istringstream expected(text);
    TokenReader fromMemory(text);
    std::istringstream source(text);
    TokenReader fromStream(source.rdbuf(), text.size());
    double wanted = 0.0;
    int count = 0;
    while (expected >> wanted) {
        double a = 0.0;
        double b = 0.0;
        ASSERT_TRUE(fromMemory.readDouble(a)) << "value " << count;
        ASSERT_TRUE(fromStream.readDouble(b)) << "value " << count;
        ASSERT_EQ(a, wanted) << "value " << count;
        ASSERT_EQ(b, wanted) << "value " << count;
        ++count;
    }
    double none = 0.0;
    EXPECT_FALSE(fromMemory.readDouble(none));
    EXPECT_FALSE(fromStream.readDouble(none));
    EXPECT_EQ(count, 60'000);
}

TEST(NumberScanParity, textsOfTheDefaultNotationAreCopiedOthersConverted) {
    std::mt19937_64 random(21);
    std::uniform_real_distribution<double> exponent(-30.0, 30.0);
    std::uniform_int_distribution<int> digits(1, 9);
    const std::vector<std::string> rooms = {"", " ", "\t-0.5", std::string(30, ' ')};
    for (int i = 0; i < 40'000; ++i) {
        const double value = (random() % 2 ? -1.0 : 1.0) * std::pow(10.0, exponent(random));
        // The notation itself, and the same value in other forms that read alike.
        char text[64];
        for (const char* format : {"%g", "%.*g", "%.*f", "%.*e", "%+g", "%.*G"}) {
            const int precision = digits(random);
            if (std::string(format).find('*') != std::string::npos)
                std::snprintf(text, sizeof text, format, precision, value);
            else
                std::snprintf(text, sizeof text, format, value);
            for (const std::string& room : rooms) expectCopiedExactlyWhenDefaultNotation(text, room);
        }
    }
}

TEST(NumberScanParity, onlyTheDefaultNotationOfRandomTextsIsCopied) {
    const std::string alphabet = "0000123456789..e-+";
    std::mt19937 random(22);
    for (int i = 0; i < 300'000; ++i) {
        const std::string text = randomText(alphabet, 14, random);
        expectCopiedExactlyWhenDefaultNotation(text, random() % 2 ? "" : std::string(30, ' '));
    }
}

TEST(NumberScanParity, zerosAndTheEdgesOfTheFixedForm) {
    struct Case {
        const char* text;
        bool copied;
    };
    const std::vector<Case> cases = {
        {"0", true},          {"-0", true},        {"0.0", false},       {"00", false},      {"0.", false},
        {".5", false},        {"+1", false},       {"1.", false},        {"0.0001", true},   {"0.00001", false},
        {"1e-05", true},      {"1e-5", false},     {"1E-05", false},     {"1.0e-05", false}, {"1e-04", false},
        {"100000", true},     {"1e+06", true},     {"1000000", false},   {"1e+05", false},   {"123456", true},
        {"1234567", false},   {"12345.6", true},   {"0.123456", true},   {"0.1234567", false}, {"-0.000387509", true},
        {"1.5e+300", false},  {"1e+100", false},  {"1.23457e+07", true}, {"1.234567e+07", false}, {"01", false}, {"-", false},
    };
    for (const Case& c : cases) {
        for (const std::size_t blanks : {0, 30}) {
            const std::string padded = c.text + std::string(blanks, ' ');
            bool copied = false;
            scanDoubleText(padded.data(), padded.data() + padded.size(), false, copied);
            EXPECT_EQ(copied, c.copied) << "[" << c.text << "] with " << blanks << " blanks after it";
        }
    }
}

}  // namespace
