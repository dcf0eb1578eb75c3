// The fast number formatters take shortcuts (scaled doubles, 128-bit integers) that must
// never show: over powers of ten, halfway points, random bit patterns, float values, the
// edges of the fast paths and the values without digits, their texts are those of stream
// insertion (default notation) and of printf "%4.6lf".
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

double fromBits(std::uint64_t bits) {
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Stops at the first difference, with the value's every digit in the message.
void expectStandardTexts(double value) {
    ASSERT_EQ(defaultNotation(value), streamed(value)) << printed("%.17g", value);
    ASSERT_EQ(fixedSix(value), printed("%4.6lf", value)) << printed("%.17g", value);
}

void expectStandardTextsWithNeighbours(double value) {
    for (double v : {value, std::nextafter(value, 0.0), std::nextafter(value, HUGE_VAL)}) {
        expectStandardTexts(v);
        expectStandardTexts(-v);
    }
}

TEST(NumberFormatParity, valuesWithoutDigitsAndTheExtremes) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<double> values = {
        0.0, -0.0, inf, -inf,
        std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
        std::numeric_limits<double>::signaling_NaN(), fromBits(0x7ff0000000000123ULL),
        fromBits(0xfff8000000abcdefULL),
        std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
        std::numeric_limits<double>::min(), -std::numeric_limits<double>::min(),
        std::numeric_limits<double>::denorm_min(), -std::numeric_limits<double>::denorm_min(),
        fromBits(0x000fffffffffffffULL), std::numeric_limits<double>::epsilon(),
        static_cast<double>(std::numeric_limits<float>::max()), static_cast<double>(std::numeric_limits<float>::min()),
        static_cast<double>(std::numeric_limits<float>::denorm_min())};
    for (double value : values) {
        expectStandardTexts(value);
        expectStandardTexts(-value);
    }
}

// Every power of ten a double reaches, with its neighbours: where the exponent form begins
// and ends, and where six digits round up to the next power.
TEST(NumberFormatParity, powersOfTenAndTheirNeighbours) {
    for (int exponent = -323; exponent <= 308; ++exponent) {
        // strtod, unlike stod, gives the subnormal powers without complaint.
        const double power = std::strtod(("1e" + std::to_string(exponent)).c_str(), nullptr);
        expectStandardTextsWithNeighbours(power);
        expectStandardTextsWithNeighbours(power * 9.999995);
        expectStandardTextsWithNeighbours(power * 9.9999949999);
        expectStandardTextsWithNeighbours(power * 1.000005);
    }
}

// Six-digit and six-decimal halfway points at every scale the fast paths cover and beyond.
TEST(NumberFormatParity, halfwayPointsAtEveryScale) {
    std::mt19937_64 random(21);
    for (int exponent = -40; exponent <= 40; ++exponent) {
        for (int i = 0; i < 40; ++i) {
            const long long digits = 100000 + static_cast<long long>(random() % 900000);
            const std::string text = std::to_string(digits) + "5e" + std::to_string(exponent - 6);
            expectStandardTextsWithNeighbours(std::strtod(text.c_str(), nullptr));
        }
    }
    // "%4.6lf" rounds at the sixth decimal: half a millionth and its multiples.
    for (long long k = -3000; k <= 3000; ++k)
        expectStandardTextsWithNeighbours(static_cast<double>(2 * k + 1) * 5e-7);
    // Around the end of the fixed fast path and of exact integers.
    for (double value : {999999999999.0, 999999999999.4999, 999999999999.5, 1e12, 1e12 + 0.5, 4503599627370495.5,
                         9007199254740992.0, 9007199254740993.0, 1e15, 1e16, 1e17, 1e22, 1e23})
        expectStandardTextsWithNeighbours(value);
}

TEST(NumberFormatParity, randomBitPatterns) {
    std::mt19937_64 random(5);
    for (int i = 0; i < 300'000; ++i) expectStandardTexts(fromBits(random()));
}

// Subnormals and the smallest normals, where the binary exponent runs out.
TEST(NumberFormatParity, randomSubnormals) {
    std::mt19937_64 random(6);
    for (int i = 0; i < 50'000; ++i) expectStandardTexts(fromBits(random() & 0x801fffffffffffffULL));
}

// Design-matrix values: floats of a convolved predictor, motion in millimetres and degrees,
// physiological signals, widened to double.
TEST(NumberFormatParity, randomValuesOfDesignMatrices) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> predictor(-0.3, 1.2);
    std::normal_distribution<double> motion(0.0, 0.5);
    std::uniform_int_distribution<int> exponent(-12, 12);
    for (int i = 0; i < 200'000; ++i) {
        expectStandardTexts(static_cast<double>(static_cast<float>(predictor(random))));
        expectStandardTexts(motion(random));
        expectStandardTexts(std::ldexp(motion(random), exponent(random) * 4));
        expectStandardTexts(std::round(predictor(random) * 1e6) / 1e6);
    }
}

}  // namespace
