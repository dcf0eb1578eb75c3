#include "confounds/numberFormat.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

char* writeGeneralSlowly(char* out, double value) {
    return std::to_chars(out, out + longestDefaultNotation, value, std::chars_format::general, 6).ptr;
}

char* writeFixedSlowly(char* out, double value) {
    char* end = std::to_chars(out, out + longestFixedSixDecimals, value, std::chars_format::fixed, 6).ptr;
    // Only "inf" and "nan" are shorter than the field width of four; printf pads them on
    // the left.
    const std::size_t length = static_cast<std::size_t>(end - out);
    if (length >= 4) return end;
    const std::size_t padding = 4 - length;
    std::memmove(out + padding, out, length);
    std::memset(out, ' ', padding);
    return out + 4;
}

#if defined(__SIZEOF_INT128__)
// Most values of a design matrix are written millions of times over, and the library's
// conversions with a precision are slow. The fast paths below round exactly as printf does
// (to nearest, ties to even, on the exact binary value) with 128-bit integer arithmetic over
// the value's 53-bit mantissa; values outside their range take the library's way.
using Wide = unsigned __int128;

constexpr Wide powerOfTen(int exponent) {
    Wide power = 1;
    for (int i = 0; i < exponent; ++i) power *= 10;
    return power;
}

constexpr Wide powersOfTen[] = {
    powerOfTen(0),  powerOfTen(1),  powerOfTen(2),  powerOfTen(3),  powerOfTen(4),  powerOfTen(5),
    powerOfTen(6),  powerOfTen(7),  powerOfTen(8),  powerOfTen(9),  powerOfTen(10), powerOfTen(11),
    powerOfTen(12), powerOfTen(13), powerOfTen(14), powerOfTen(15), powerOfTen(16), powerOfTen(17),
    powerOfTen(18), powerOfTen(19), powerOfTen(20), powerOfTen(21), powerOfTen(22), powerOfTen(23),
    powerOfTen(24), powerOfTen(25), powerOfTen(26), powerOfTen(27), powerOfTen(28), powerOfTen(29),
    powerOfTen(30), powerOfTen(31), powerOfTen(32), powerOfTen(33), powerOfTen(34), powerOfTen(35),
    powerOfTen(36), powerOfTen(37), powerOfTen(38)};

// magnitude = mantissa * 2^exponent exactly, for a positive normal double.
void split(double magnitude, std::uint64_t& mantissa, int& exponent) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &magnitude, sizeof bits);
    mantissa = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    exponent = static_cast<int>((bits >> 52) & 0x7ff) - 1075;
}

// numerator / denominator rounded to nearest, ties to even.
Wide divideRounded(Wide numerator, Wide denominator) {
    const Wide quotient = numerator / denominator;
    const Wide twiceRemainder = (numerator % denominator) * 2;
    if (twiceRemainder > denominator || (twiceRemainder == denominator && (quotient & 1) != 0))
        return quotient + 1;
    return quotient;
}

// value * 2^-shift rounded to nearest, ties to even.
Wide shiftRounded(Wide value, int shift) {
    if (shift <= 0) return value << -shift;
    if (shift >= 128) return 0;  // callers keep value below 2^127
    const Wide quotient = value >> shift;
    const Wide remainder = value & ((Wide{1} << shift) - 1);
    const Wide half = Wide{1} << (shift - 1);
    if (remainder > half || (remainder == half && (quotient & 1) != 0)) return quotient + 1;
    return quotient;
}

// magnitude / 10^scale rounded, for the scales the general form needs.
bool scaledRounded(std::uint64_t mantissa, int exponent, int scale, Wide& result) {
    if (scale <= 0) {
        if (-scale > 22) return false;  // mantissa * 10^22 stays below 2^127
        result = shiftRounded(Wide{mantissa} * powersOfTen[-scale], -exponent);
        return true;
    }
    if (scale > 38) return false;
    if (exponent >= 0) {
        if (exponent > 74) return false;
        result = divideRounded(Wide{mantissa} << exponent, powersOfTen[scale]);
        return true;
    }
    if (scale > 22 || -exponent > 52) return false;
    result = divideRounded(Wide{mantissa}, powersOfTen[scale] << -exponent);
    return true;
}

// floor(n * log10(2)) for the binary exponents of doubles.
int floorLog10OfPowerOfTwo(int n) { return (n * 78913) >> 18; }

constexpr double exactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// magnitude * 10^scale in one rounding step (exact powers only), so that the result is
// within one part in 2^53 of the exact product.
bool scaledQuickly(double magnitude, int scale, double& scaled) {
    if (scale > 22 || scale < -22) return false;
    scaled = scale >= 0 ? magnitude * exactPowersOfTen[scale] : magnitude / exactPowersOfTen[-scale];
    return true;
}

// Rounds a value known within one part in 2^53 to the nearest integer when that is certain,
// that is when it does not lie close to halfway between two integers.
bool roundedIfCertain(double scaled, std::uint64_t& rounded) {
    if (!(scaled >= 0.0 && scaled < 9e18)) return false;
    const std::uint64_t whole = static_cast<std::uint64_t>(scaled);  // the floor, for these
    const double fraction = scaled - static_cast<double>(whole);
    const double doubt = scaled * 4.5e-16 + 1e-300;
    if (std::fabs(fraction - 0.5) <= doubt) return false;
    rounded = whole + (fraction > 0.5 ? 1 : 0);
    return true;
}

// Six significant digits and the decimal exponent of the first, as "%e" would round them.
bool sixDigits(double magnitude, std::uint32_t& digits, int& decimalExponent) {
    if (!(magnitude >= 1e-17 && magnitude < 1e37)) return false;
    std::uint64_t mantissa = 0;
    int exponent = 0;
    split(magnitude, mantissa, exponent);
    // 2^(b - 1) <= magnitude < 2^b bounds the decimal exponent to two neighbours.
    int estimate = floorLog10OfPowerOfTwo(exponent + 52);

    // Mostly the double arithmetic decides; near a halfway point the exact one does.
    double scaled = 0.0;
    std::uint64_t quick = 0;
    if (scaledQuickly(magnitude, 5 - estimate, scaled) && roundedIfCertain(scaled, quick)) {
        if (quick >= 1'000'000) {
            ++estimate;
            if (!scaledQuickly(magnitude, 5 - estimate, scaled) || !roundedIfCertain(scaled, quick)) quick = 0;
        }
        if (quick >= 100'000 && quick < 1'000'000) {
            digits = static_cast<std::uint32_t>(quick);
            decimalExponent = estimate;
            return true;
        }
        estimate = floorLog10OfPowerOfTwo(exponent + 52);
    }

    Wide exact = 0;
    if (!scaledRounded(mantissa, exponent, estimate - 5, exact)) return false;
    if (exact >= 1'000'000) {
        ++estimate;
        if (!scaledRounded(mantissa, exponent, estimate - 5, exact)) return false;
    }
    if (exact < 100'000 || exact >= 1'000'000) return false;
    digits = static_cast<std::uint32_t>(exact);
    decimalExponent = estimate;
    return true;
}

// "00" to "99", so that six digits take three look-ups instead of six divisions.
constexpr char digitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The digits go out in fixed blocks of eight that may run past the text's end; the longest
// text is 13 characters before its exponent, so they stay well inside the room the caller
// gives for the longest text.
char* writeGeneralFast(char* out, bool negative, std::uint32_t digits, int decimalExponent) {
    static_assert(longestDefaultNotation >= 24);
    char six[16] = {};
    std::memcpy(six, digitPairs + 2 * (digits / 10000), 2);
    std::memcpy(six + 2, digitPairs + 2 * (digits / 100 % 100), 2);
    std::memcpy(six + 4, digitPairs + 2 * (digits % 100), 2);
    int significant = 6;
    while (significant > 1 && six[significant - 1] == '0') --significant;

    std::size_t length = 0;
    if (negative) out[length++] = '-';
    if (decimalExponent >= -4 && decimalExponent < 6) {
        if (decimalExponent >= 0) {
            const int integerDigits = decimalExponent + 1;
            std::memcpy(out + length, six, 8);
            length += static_cast<std::size_t>(integerDigits);
            if (significant > integerDigits) {
                out[length++] = '.';
                std::memcpy(out + length, six + integerDigits, 8);
                length += static_cast<std::size_t>(significant - integerDigits);
            }
        } else {
            std::memcpy(out + length, "0.000000", 8);
            length += static_cast<std::size_t>(1 - decimalExponent);
            std::memcpy(out + length, six, 8);
            length += static_cast<std::size_t>(significant);
        }
    } else {
        out[length++] = six[0];
        if (significant > 1) {
            out[length++] = '.';
            std::memcpy(out + length, six + 1, 8);
            length += static_cast<std::size_t>(significant - 1);
        }
        out[length++] = 'e';
        out[length++] = decimalExponent < 0 ? '-' : '+';
        const int absolute = decimalExponent < 0 ? -decimalExponent : decimalExponent;
        if (absolute < 10) out[length++] = '0';
        return std::to_chars(out + length, out + longestDefaultNotation, absolute).ptr;
    }
    return out + length;
}

// Null when the value is beyond the fast path's range.
char* writeFixedFast(char* out, double value) {
    const double magnitude = std::fabs(value);
    if (!(magnitude < 1e12)) return nullptr;
    std::uint64_t units = 0;
    if (magnitude >= 1e-300) {
        if (!roundedIfCertain(magnitude * 1e6, units)) {
            std::uint64_t mantissa = 0;
            int exponent = 0;
            split(magnitude, mantissa, exponent);
            units = static_cast<std::uint64_t>(shiftRounded(Wide{mantissa} * 1'000'000u, -exponent));
        }
    } else if (magnitude != 0.0) {
        return nullptr;
    }
    if (std::signbit(value)) *out++ = '-';
    out = std::to_chars(out, out + longestFixedSixDecimals, units / 1'000'000u).ptr;
    *out++ = '.';
    const std::uint32_t fraction = static_cast<std::uint32_t>(units % 1'000'000u);
    std::memcpy(out, digitPairs + 2 * (fraction / 10000), 2);
    std::memcpy(out + 2, digitPairs + 2 * (fraction / 100 % 100), 2);
    std::memcpy(out + 4, digitPairs + 2 * (fraction % 100), 2);
    return out + 6;
}
#endif

}  // namespace

char* writeDefaultNotation(char* out, double value) {
#if defined(__SIZEOF_INT128__)
    std::uint32_t digits = 0;
    int decimalExponent = 0;
    if (sixDigits(std::fabs(value), digits, decimalExponent))
        return writeGeneralFast(out, std::signbit(value), digits, decimalExponent);
    if (value == 0.0) {
        if (std::signbit(value)) *out++ = '-';
        *out++ = '0';
        return out;
    }
#endif
    return writeGeneralSlowly(out, value);
}

char* writeFixedSixDecimals(char* out, double value) {
#if defined(__SIZEOF_INT128__)
    if (char* end = writeFixedFast(out, value)) return end;
#endif
    return writeFixedSlowly(out, value);
}
