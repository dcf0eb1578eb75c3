// The extended design matrix must hold the very texts a C++ stream and printf write.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "confounds/numberFormat.h"
#include "tests/confounds/numberTexts.h"

namespace {

using namespace numbertexts;

std::vector<double> interestingValues() {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return {0.0, -0.0, 1.0, -1.0, 0.5, 1e-5, 1e-4, 9.99999e-5, 0.0001, 123456.0, 123456.5,
            1234565.0, 999999.5, 999999.4, 1e6, 1e15, 1e16, 1e300, -1e300,
            std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
            std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min(),
            0.0310625, -0.000387509, 2.5, 0.125, 1.0 / 3.0, -2.0 / 3.0, 0.0000005, -0.0000005,
            0.0000015, 1e-7, 5e-7, 4.9999995e-7, inf, -inf, nan, -nan, 60.5, -0.25};
}

TEST(NumberFormat, defaultNotationIsTheStreamsAndPrintfG) {
    for (double value : interestingValues()) {
        EXPECT_EQ(defaultNotation(value), printed("%g", value)) << printed("%.17g", value);
        EXPECT_EQ(defaultNotation(value), streamed(value)) << printed("%.17g", value);
    }
}

TEST(NumberFormat, fixedSixDecimalsIsPrintfWithWidthFour) {
    for (double value : interestingValues())
        EXPECT_EQ(fixedSix(value), printed("%4.6lf", value)) << printed("%.17g", value);
}

TEST(NumberFormat, agreesWithPrintfOverManyValues) {
    std::mt19937_64 random(11);
    for (int i = 0; i < 200'000; ++i) {
        double value = 0.0;
        if (i % 2 == 0) {
            const std::uint64_t bits = random();
            std::memcpy(&value, &bits, sizeof value);
        } else {
            value = std::ldexp(static_cast<double>(static_cast<std::int64_t>(random() % 4'000'000) - 2'000'000),
                               static_cast<int>(random() % 60) - 40);
        }
        ASSERT_EQ(defaultNotation(value), printed("%g", value)) << printed("%.17g", value);
        ASSERT_EQ(fixedSix(value), printed("%4.6lf", value)) << printed("%.17g", value);
    }
}

// Dyadic fractions such as 12.34375 or 0.0078125 stand exactly halfway between two texts of
// six digits; printf rounds them to even.
TEST(NumberFormat, roundsHalfwayValuesAsPrintfDoes) {
    for (int denominatorBits : {7, 10, 20}) {
        for (std::int64_t k = -400'000; k <= 400'000; k += 13) {
            for (double scale : {1.0, 1e-3, 1e3, 1e6}) {
                const double value = std::ldexp(static_cast<double>(k), -denominatorBits) * scale;
                ASSERT_EQ(defaultNotation(value), printed("%g", value)) << printed("%.17g", value);
                ASSERT_EQ(fixedSix(value), printed("%4.6lf", value)) << printed("%.17g", value);
            }
        }
    }
    for (double value : {999999.5, 999999.4999999999, 9999995.0, 0.00099999949999999, 0.0009999995,
                         9.9999995e-5, 9.99999949e-5, 1e-17, 9.99999e-18, 1e37, 9.999995e36, 1e12, 999999999999.9999995}) {
        EXPECT_EQ(defaultNotation(value), printed("%g", value)) << printed("%.17g", value);
        EXPECT_EQ(fixedSix(value), printed("%4.6lf", value)) << printed("%.17g", value);
    }
}

TEST(NumberFormat, writesFixedTextsLongerThanTwentyFourCharactersWhole) {
    const double large = 1e300;
    const std::string text = fixedSix(large);
    EXPECT_GT(text.size(), 300u);
    EXPECT_EQ(text, printed("%4.6lf", large));
    EXPECT_EQ(fixedSix(-std::numeric_limits<double>::max()),
              printed("%4.6lf", -std::numeric_limits<double>::max()));
}

}  // namespace
