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

#include "confounds/numberScanner.h"
#include "confounds/tokenReader.h"

namespace {

void expectAsStreamExtraction(const std::string& text) {
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
        std::string text;
        const int length = 1 + static_cast<int>(random() % 30);
        for (int k = 0; k < length; ++k) text += alphabet[random() % alphabet.size()];
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

}  // namespace
