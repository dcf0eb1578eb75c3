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

// Fractions mostly have six or more digits: eight bytes at a time tell how many of them are
// digits and give their value, with a few multiplications instead of a step per digit. Where
// fewer than eight bytes are left, or on other byte orders, the caller's loop does it all.
constexpr std::uint64_t powersOfTenUpToEight[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

void gatherEightDigitsAtATime(const char*& p, const char* last, std::uint64_t& mantissa) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    while (last - p >= 8) {
        std::uint64_t chunk = 0;
        std::memcpy(&chunk, p, sizeof chunk);
        // Each byte's digit value; a byte that is no digit gets its high bit set in the mask
        // (a carry out of such a byte only disturbs the bytes after it).
        const std::uint64_t values = chunk ^ 0x3030303030303030ULL;
        const std::uint64_t notDigits = (values | (values + 0x7676767676767676ULL)) & 0x8080808080808080ULL;
        const int count = notDigits == 0 ? 8 : std::countr_zero(notDigits) / 8;
        if (count == 0) return;
        // The digits moved to the top, zeros (leading zeros of the number) below them; then
        // pairs, fours and eights combined.
        std::uint64_t digits = count == 8 ? values : values << (8 * (8 - count));
        digits = digits * 10 + (digits >> 8);
        digits = (((digits & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
                  (((digits >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >> 32;
        mantissa = mantissa * powersOfTenUpToEight[count] + digits;
        p += count;
        if (count < 8) return;
    }
#else
    (void)p;
    (void)last;
    (void)mantissa;
#endif
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
    const char* p = first;
    const bool negative = p != last && *p == '-';
    if (p != last && (*p == '+' || *p == '-')) ++p;

    // The digits as they come, for the quick conversion: leading zeros carry nothing, the
    // significant digits go into the mantissa, and their count tells whether it still holds
    // them all (at most 19). The loops test one character at a time and nothing else.
    std::uint64_t mantissa = 0;
    const char* integerStart = p;
    while (p != last && *p == '0') ++p;
    const char* significantStart = p;
    for (; p != last && isDigit(*p); ++p) mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    long long significant = p - significantStart;
    bool mantissaDigits = p != integerStart;
    int decimals = 0;
    if (p != last && *p == '.') {
        ++p;
        const char* fractionStart = p;
        if (significant == 0)
            while (p != last && *p == '0') ++p;
        const char* fractionDigits = p;
        gatherEightDigitsAtATime(p, last, mantissa);
        for (; p != last && isDigit(*p); ++p) mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
        significant += p - fractionDigits;
        // Every digit after the point counts against the exponent, zeros before the first
        // significant one included; beyond 19 digits the quick way is not taken anyway.
        decimals = static_cast<int>(std::min<long long>(p - fractionStart, 1000));
        mantissaDigits = mantissaDigits || p != fractionStart;
    }
    const bool tooManyDigits = significant > mostMantissaDigits;
    // An exponent only after a digit; then it needs digits of its own.
    bool exponentComplete = true;
    int exponentValue = 0;
    bool exponentNegative = false;
    if (mantissaDigits && p != last && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p != last && (*p == '+' || *p == '-')) exponentNegative = *p++ == '-';
        const char* exponentStart = p;
        for (; p != last && isDigit(*p); ++p)
            if (exponentValue < 100'000) exponentValue = exponentValue * 10 + (*p - '0');
        exponentComplete = p != exponentStart;
    }
    if (p == last && more) return {ScanStatus::NeedMore, 0};
    const std::size_t length = static_cast<std::size_t>(p - first);
    if (!mantissaDigits || !exponentComplete) return {ScanStatus::Fail, length};

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
