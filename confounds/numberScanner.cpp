#include "confounds/numberScanner.h"

#include <charconv>
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

}  // namespace

ScanResult scanInt(const char* first, const char* last, bool more, std::int32_t& value) {
    const char* p = first;
    bool negative = false;
    if (p == last) return {more ? ScanStatus::NeedMore : ScanStatus::Fail, 0};
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    long long magnitude = 0;
    bool digits = false;
    bool overflow = false;
    for (;; ++p) {
        if (p == last) {
            if (more) return {ScanStatus::NeedMore, 0};
            break;
        }
        if (!isDigit(*p)) break;
        digits = true;
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > 2'147'483'648LL) {
            overflow = true;
            magnitude = 2'147'483'648LL;
        }
    }
    const std::size_t length = static_cast<std::size_t>(p - first);
    if (!digits || overflow) return {ScanStatus::Fail, length};
    const long long signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<std::int32_t>::max()) return {ScanStatus::Fail, length};
    value = static_cast<std::int32_t>(signedValue);
    return {ScanStatus::Ok, length};
}

ScanResult scanDouble(const char* first, const char* last, bool more, double& value) {
    const char* p = first;
    if (p == last) return {more ? ScanStatus::NeedMore : ScanStatus::Fail, 0};
    if (*p == '+' || *p == '-') ++p;
    bool mantissaDigits = false;
    bool point = false;
    bool exponent = false;
    bool exponentDigits = false;
    for (;;) {
        if (p == last) {
            if (more) return {ScanStatus::NeedMore, 0};
            break;
        }
        const char c = *p;
        if (isDigit(c)) {
            (exponent ? exponentDigits : mantissaDigits) = true;
            ++p;
        } else if (c == '.' && !point && !exponent) {
            point = true;
            ++p;
        } else if ((c == 'e' || c == 'E') && !exponent && mantissaDigits) {
            exponent = true;
            ++p;
            if (p == last) {
                if (more) return {ScanStatus::NeedMore, 0};
                break;
            }
            if (*p == '+' || *p == '-') ++p;
        } else {
            break;
        }
    }
    const std::size_t length = static_cast<std::size_t>(p - first);
    if (!mantissaDigits || (exponent && !exponentDigits)) return {ScanStatus::Fail, length};

    // from_chars takes no leading '+'.
    const char* digitsStart = *first == '+' ? first + 1 : first;
    double converted = 0.0;
    const std::from_chars_result result =
        std::from_chars(digitsStart, p, converted, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        if (magnitudeTooLarge(first, p)) return {ScanStatus::Fail, length};
        converted = *first == '-' ? -0.0 : 0.0;
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

void TextCursor::skipSpace() {
    while (position_ != end_ && isStreamSpace(*position_)) ++position_;
}

bool TextCursor::readInt(std::int32_t& value) {
    skipSpace();
    const ScanResult result = scanInt(position_, end_, false, value);
    if (result.status != ScanStatus::Ok) return false;
    position_ += result.length;
    return true;
}

bool TextCursor::readDouble(double& value) {
    skipSpace();
    const ScanResult result = scanDouble(position_, end_, false, value);
    if (result.status != ScanStatus::Ok) return false;
    position_ += result.length;
    return true;
}

bool TextCursor::readChar(char& value) {
    skipSpace();
    if (position_ == end_) return false;
    value = *position_++;
    return true;
}

bool TextCursor::readWord(std::string_view& word) {
    skipSpace();
    const ScanResult result = scanWord(position_, end_, false);
    if (result.status != ScanStatus::Ok) return false;
    word = std::string_view(position_, result.length);
    position_ += result.length;
    return true;
}

bool TextCursor::readName(std::string_view& name) {
    skipSpace();
    const ScanResult result = scanName(position_, end_, false);
    if (result.status != ScanStatus::Ok) return false;
    name = std::string_view(position_, result.length);
    position_ += result.length;
    return true;
}
