#include "confounds/numberScanner.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cstring>
#include <limits>
#include <system_error>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// from_chars reports a value beyond the range of double without telling which end; stream
// extraction fails for a magnitude too large and gives zero for one too small. The decimal
// exponent of the leading digit decides which it is.
bool magnitudeTooLarge(const char* first, const char* last) {
    const char* p = first;
    if (p < last && (*p == '+' || *p == '-')) ++p;
    long long leading = 0;
    bool nonZeroSeen = false;
    bool pointSeen = false;
    for (; p < last && (isDigit(*p) || *p == '.'); ++p) {
        if (*p == '.') {
            pointSeen = true;
        } else if (!nonZeroSeen) {
            if (*p != '0') {
                nonZeroSeen = true;
                if (pointSeen) --leading;
            } else if (pointSeen) {
                --leading;
            }
        } else if (!pointSeen) {
            ++leading;
        }
    }
    long long exponent = 0;
    if (p < last && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negative = false;
        if (p < last && (*p == '+' || *p == '-')) negative = *p++ == '-';
        for (; p < last && isDigit(*p); ++p)
            if (exponent < 1'000'000'000) exponent = exponent * 10 + (*p - '0');
        if (negative) exponent = -exponent;
    }
    return nonZeroSeen && leading + exponent > 0;
}

// Decimal mantissas of up to 19 digits, and the powers of ten a double holds exactly.
constexpr int mostMantissaDigits = 19;
constexpr double exactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A mantissa below 2^53 and a power of ten up to 10^22 are both exact doubles, so one
// multiplication or division rounds the value correctly (the common case of design-matrix
// text). Anything else goes to from_chars.
bool convertQuickly(std::uint64_t mantissa, int decimalExponent, bool negative, double& value) {
    if (mantissa == 0) {
        value = negative ? -0.0 : 0.0;
        return true;
    }
#if FLT_EVAL_METHOD == 0
    if (mantissa > (std::uint64_t{1} << 53) || decimalExponent < -22 || decimalExponent > 22) return false;
    const double magnitude = decimalExponent >= 0
                                 ? static_cast<double>(mantissa) * exactPowersOfTen[decimalExponent]
                                 : static_cast<double>(mantissa) / exactPowersOfTen[-decimalExponent];
    value = negative ? -magnitude : magnitude;
    return true;
#else
    (void)mantissa;
    (void)decimalExponent;
    (void)negative;
    (void)value;
    return false;
#endif
}

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
#define QUORVEL_DIGITS_BY_EIGHT 1
constexpr std::uint64_t powersOfTenUpToEight[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

// Eight bytes at once: each byte's digit value, and how many bytes lead as digits.
struct DigitRun {
    std::uint64_t values = 0;
    int count = 0;
};

DigitRun digitRun(const char* p) {
    std::uint64_t chunk = 0;
    std::memcpy(&chunk, p, sizeof chunk);
    DigitRun run;
    run.values = chunk ^ 0x3030303030303030ULL;
    // A byte that is no digit gets its high bit set in the mask (a carry out of such a byte
    // only disturbs the bytes after it).
    const std::uint64_t notDigits = (run.values | (run.values + 0x7676767676767676ULL)) & 0x8080808080808080ULL;
    run.count = notDigits == 0 ? 8 : std::countr_zero(notDigits) / 8;
    return run;
}

// The number the leading digits of a run spell: the digits moved to the top, zeros below
// them; then pairs, fours and eights combined.
std::uint64_t valueOfRun(const DigitRun& run) {
    if (run.count == 0) return 0;
    std::uint64_t digits = run.count == 8 ? run.values : run.values << (8 * (8 - run.count));
    digits = digits * 10 + (digits >> 8);
    return (((digits & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
            (((digits >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >> 32;
}
#endif

// Fractions mostly have six or more digits: eight bytes at a time tell how many of them are
// digits and give their value. Where fewer than eight bytes are left, or on other byte
// orders, the caller's loop does it all.
void gatherEightDigitsAtATime(const char*& p, const char* last, std::uint64_t& mantissa) {
#if QUORVEL_DIGITS_BY_EIGHT
    while (last - p >= 8) {
        const DigitRun run = digitRun(p);
        if (run.count == 0) return;
        mantissa = mantissa * powersOfTenUpToEight[run.count] + valueOfRun(run);
        p += run.count;
        if (run.count < 8) return;
    }
#else
    (void)p;
    (void)last;
    (void)mantissa;
#endif
}

#if QUORVEL_DIGITS_BY_EIGHT && FLT_EVAL_METHOD == 0
#define QUORVEL_PLAIN_DECIMALS 1
// Room the quick scan below may look at: a sign, seven digits, a point, eight more bytes.
constexpr std::ptrdiff_t plainDecimalRoom = 24;

// The token of nearly every design-matrix and confound value: an optional '-', up to seven
// integer digits, and a point with up to seven decimals, no exponent. It reads with two
// looks at eight bytes; its mantissa and the power of ten are exact doubles, so one division
// rounds it correctly. Also tells whether the text is that of the default notation (see
// NumberShape). Returns the length, or 0 to leave the token to the full scan.
template <bool wantValue>
std::size_t scanPlainDecimal(const char* first, double& value, bool& defaultNotation) {
    const char* p = first;
    const bool negative = *p == '-';
    p += negative ? 1 : 0;
    const DigitRun integer = digitRun(p);
    if (integer.count == 8) return 0;
    p += integer.count;
    DigitRun fraction;
    const bool point = *p == '.';
    if (point) {
        fraction = digitRun(p + 1);
        if (fraction.count == 8) return 0;
        p += 1 + fraction.count;
    }
    // A sign or point without digits, or an exponent, is the full scan's.
    if (integer.count + fraction.count == 0 || *p == 'e' || *p == 'E') return 0;
    if constexpr (wantValue) {
        const std::uint64_t mantissa =
            valueOfRun(integer) * powersOfTenUpToEight[fraction.count] + valueOfRun(fraction);
        const double magnitude = static_cast<double>(mantissa) / exactPowersOfTen[fraction.count];
        value = negative ? -magnitude : magnitude;
    }

    // Fixed form only; the digit count keeps the decimal exponent below 6. An integer part of
    // more than one digit that starts with a zero is no default notation whatever its value,
    // so its first digit tells whether it is zero.
    const bool integerNonZero = (integer.values & 0xFF) != 0;
    const int fractionLeadingZeros = fraction.count == 0 ? 0 : std::countr_zero(fraction.values) / 8;
    const int significant = integerNonZero ? integer.count + fraction.count : fraction.count - fractionLeadingZeros;
    const bool lastDecimalZero =
        fraction.count >= 1 && ((fraction.values >> (8 * (fraction.count - 1))) & 0xFF) == 0;
    defaultNotation = integer.count >= 1 && (integer.count == 1 || integerNonZero) &&
                      (!point || (fraction.count >= 1 && !lastDecimalZero)) && significant <= 6 &&
                      (integerNonZero || fractionLeadingZeros <= 3);
    return static_cast<std::size_t>(p - first);
}
#endif

// Whether a number's text is the one writeDefaultNotation gives for its value: six
// significant digits or fewer survive a conversion to double and back unchanged, so only the
// form needs checking — no '+', no superfluous zeros, and fixed or exponent form as "%g"
// chooses it (fixed for decimal exponents from -4 to 5; two-digit exponents only).
struct NumberShape {
    bool plus = false;
    std::ptrdiff_t integerDigits = 0;
    bool integerLeadingZero = false;  // a zero before other integer digits
    bool integerNonZero = false;
    bool point = false;
    std::ptrdiff_t fractionDigits = 0;
    std::ptrdiff_t fractionLeadingZeros = 0;  // counted when the integer part is zero
    bool fractionEndsInZero = false;
    long long significant = 0;
    bool exponent = false;
    bool exponentLowerCase = false;
    bool exponentSigned = false;
    bool exponentNegative = false;
    std::ptrdiff_t exponentDigits = 0;
    int exponentValue = 0;
};

bool isDefaultNotationShape(const NumberShape& shape) {
    if (shape.plus || shape.integerDigits == 0 || shape.integerLeadingZero) return false;
    if (shape.point && (shape.fractionDigits == 0 || shape.fractionEndsInZero)) return false;
    if (shape.significant > 6) return false;
    if (!shape.exponent) return shape.integerNonZero || shape.fractionLeadingZeros <= 3;
    // d[.ddddd]e±XX, with an exponent that "%g" writes in this form.
    if (shape.integerDigits != 1 || !shape.integerNonZero) return false;
    if (!shape.exponentLowerCase || !shape.exponentSigned || shape.exponentDigits != 2) return false;
    return shape.exponentNegative ? shape.exponentValue > 4 : shape.exponentValue >= 6;
}

// Every form that stream extraction takes, one character at a time.
ScanResult scanAnyDouble(const char* first, const char* last, bool more, double& value, bool& defaultNotation) {
    NumberShape shape;
    const char* p = first;
    const bool negative = p != last && *p == '-';
    if (p != last && (*p == '+' || *p == '-')) shape.plus = *p++ == '+';

    // The digits as they come, for the quick conversion: leading zeros carry nothing, the
    // significant digits go into the mantissa, and their count tells whether it still holds
    // them all (at most 19).
    std::uint64_t mantissa = 0;
    const char* integerStart = p;
    while (p != last && *p == '0') ++p;
    const char* significantStart = p;
    for (; p != last && isDigit(*p); ++p) mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    long long significant = p - significantStart;
    shape.integerDigits = p - integerStart;
    shape.integerNonZero = significant > 0;
    shape.integerLeadingZero = shape.integerDigits > 1 && *integerStart == '0';
    bool mantissaDigits = p != integerStart;
    int decimals = 0;
    if (p != last && *p == '.') {
        ++p;
        shape.point = true;
        const char* fractionStart = p;
        if (significant == 0)
            while (p != last && *p == '0') ++p;
        const char* fractionDigits = p;
        gatherEightDigitsAtATime(p, last, mantissa);
        for (; p != last && isDigit(*p); ++p) mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
        significant += p - fractionDigits;
        shape.fractionDigits = p - fractionStart;
        shape.fractionLeadingZeros = fractionDigits - fractionStart;
        shape.fractionEndsInZero = p != fractionStart && p[-1] == '0';
        // Every digit after the point counts against the exponent, zeros before the first
        // significant one included; beyond 19 digits the quick way is not taken anyway.
        decimals = static_cast<int>(std::min<long long>(p - fractionStart, 1000));
        mantissaDigits = mantissaDigits || p != fractionStart;
    }
    shape.significant = significant;
    const bool tooManyDigits = significant > mostMantissaDigits;
    // An exponent only after a digit; then it needs digits of its own.
    bool exponentComplete = true;
    int exponentValue = 0;
    bool exponentNegative = false;
    if (mantissaDigits && p != last && (*p == 'e' || *p == 'E')) {
        shape.exponent = true;
        shape.exponentLowerCase = *p++ == 'e';
        if (p != last && (*p == '+' || *p == '-')) {
            shape.exponentSigned = true;
            exponentNegative = *p++ == '-';
        }
        const char* exponentStart = p;
        for (; p != last && isDigit(*p); ++p)
            if (exponentValue < 100'000) exponentValue = exponentValue * 10 + (*p - '0');
        exponentComplete = p != exponentStart;
        shape.exponentDigits = p - exponentStart;
        shape.exponentNegative = exponentNegative;
        shape.exponentValue = exponentValue;
    }
    if (p == last && more) return {ScanStatus::NeedMore, 0};
    const std::size_t length = static_cast<std::size_t>(p - first);
    if (!mantissaDigits || !exponentComplete) return {ScanStatus::Fail, length};
    defaultNotation = isDefaultNotationShape(shape);

    if (!tooManyDigits &&
        convertQuickly(mantissa, (exponentNegative ? -exponentValue : exponentValue) - decimals, negative, value))
        return {ScanStatus::Ok, length};

    // from_chars takes no leading '+'.
    const char* digitsStart = *first == '+' ? first + 1 : first;
    double converted = 0.0;
    const std::from_chars_result result =
        std::from_chars(digitsStart, p, converted, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        if (magnitudeTooLarge(first, p)) return {ScanStatus::Fail, length};
        converted = negative ? -0.0 : 0.0;
    } else if (result.ec != std::errc() || result.ptr != p) {
        return {ScanStatus::Fail, length};
    }
    value = converted;
    return {ScanStatus::Ok, length};
}

}  // namespace

// Every scan below reads as if the text ended at `last`; when it stops there and more text
// may follow, the token might go on, so it asks for more instead of deciding.

ScanResult scanInt(const char* first, const char* last, bool more, std::int32_t& value) {
    const char* p = first;
    bool negative = false;
    if (p != last && (*p == '+' || *p == '-')) negative = *p++ == '-';
    const char* digitsStart = p;
    long long magnitude = 0;
    for (; p != last && isDigit(*p); ++p) {
        // Saturates just beyond the range, so that overflow shows.
        if (magnitude <= 2'147'483'648LL) magnitude = magnitude * 10 + (*p - '0');
    }
    if (p == last && more) return {ScanStatus::NeedMore, 0};
    const std::size_t length = static_cast<std::size_t>(p - first);
    const long long signedValue = negative ? -magnitude : magnitude;
    if (p == digitsStart || signedValue > std::numeric_limits<std::int32_t>::max() ||
        signedValue < std::numeric_limits<std::int32_t>::min())
        return {ScanStatus::Fail, length};
    value = static_cast<std::int32_t>(signedValue);
    return {ScanStatus::Ok, length};
}

ScanResult scanDouble(const char* first, const char* last, bool more, double& value) {
    bool ignored = false;
#if QUORVEL_PLAIN_DECIMALS
    if (last - first >= plainDecimalRoom)
        if (const std::size_t length = scanPlainDecimal<true>(first, value, ignored)) return {ScanStatus::Ok, length};
#endif
    return scanAnyDouble(first, last, more, value, ignored);
}

ScanResult scanDoubleText(const char* first, const char* last, bool more, bool& defaultNotation) {
    double ignored = 0.0;
#if QUORVEL_PLAIN_DECIMALS
    if (last - first >= plainDecimalRoom)
        if (const std::size_t length = scanPlainDecimal<false>(first, ignored, defaultNotation))
            return {ScanStatus::Ok, length};
#endif
    return scanAnyDouble(first, last, more, ignored, defaultNotation);
}

ScanResult scanWord(const char* first, const char* last, bool more) {
    const char* p = first;
    while (p != last && !isStreamSpace(*p)) ++p;
    if (p == last && more) return {ScanStatus::NeedMore, 0};
    const std::size_t length = static_cast<std::size_t>(p - first);
    return {length > 0 ? ScanStatus::Ok : ScanStatus::Fail, length};
}

ScanResult scanName(const char* first, const char* last, bool more) {
    if (first == last || *first != '"') return scanWord(first, last, more);
    const char* p = first + 1;
    while (p != last && *p != '"' && *p != '\n') ++p;
    if (p == last && more) return {ScanStatus::NeedMore, 0};
    if (p == last || *p == '\n') return scanWord(first, last, more);
    const ScanResult rest = scanWord(p + 1, last, more);
    if (rest.status == ScanStatus::NeedMore) return rest;
    return {ScanStatus::Ok, static_cast<std::size_t>(p + 1 - first) + rest.length};
}
