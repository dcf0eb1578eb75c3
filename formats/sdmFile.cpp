#include "formats/sdmFile.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "formats/textFormat.h"

namespace morvane {
namespace {

constexpr const char* headerKeys[] = {"FileVersion:", "NrOfPredictors:", "NrOfDataPoints:", "IncludesConstant:",
                                      "FirstConfoundPredictor:"};

// Reads numbers and words from a NUL-terminated text, the way a stream extracts them.
class Scanner {
public:
    explicit Scanner(const std::string& text) : text_(text), end_(text.c_str() + text.size()) {}

    bool atEnd() {
        skipSpace();
        return position_ >= text_.size();
    }
    bool word(std::string& out) {
        skipSpace();
        const std::size_t start = position_;
        while (position_ < text_.size() && !isSpace(text_[position_])) ++position_;
        out = text_.substr(start, position_ - start);
        return position_ > start;
    }
    bool integer(long long& out) {
        skipSpace();
        if (position_ >= text_.size()) return false;
        const char* begin = text_.c_str() + position_;
        char* end = nullptr;
        errno = 0;
        out = std::strtoll(begin, &end, 10);
        if (end == begin || errno == ERANGE) return false;
        position_ += static_cast<std::size_t>(end - begin);
        return true;
    }
    bool integer(int& out) {
        long long value = 0;
        if (!integer(value) || value < INT32_MIN || value > INT32_MAX) return false;
        out = static_cast<int>(value);
        return true;
    }
    bool real(double& out) {
        skipSpace();
        if (position_ >= text_.size()) return false;
        const char* begin = text_.c_str() + position_;
        if (const char* stop = plainDecimal(begin, out)) {
            position_ += static_cast<std::size_t>(stop - begin);
            return true;
        }
        // from_chars reads the usual forms quickly and rounds as strtod does; strtod keeps
        // deciding the others: a '+' sign, hexadecimal, magnitudes beyond the range.
        double quick = 0.0;
        const std::from_chars_result read = std::from_chars(begin, text_.c_str() + text_.size(), quick);
        if (read.ec == std::errc() && *begin != '+' && *read.ptr != 'x' && *read.ptr != 'X') {
            out = quick;
            position_ += static_cast<std::size_t>(read.ptr - begin);
            return true;
        }
        char* end = nullptr;
        out = std::strtod(begin, &end);
        if (end == begin) return false;
        position_ += static_cast<std::size_t>(end - begin);
        return true;
    }
    // A name in double quotes (which may hold blanks), or a single word.
    bool name(std::string& out) {
        skipSpace();
        if (position_ >= text_.size()) return false;
        if (text_[position_] != '"') return word(out);
        const auto close = text_.find('"', position_ + 1);
        if (close == std::string::npos) return false;
        out = text_.substr(position_ + 1, close - position_ - 1);
        position_ = close + 1;
        return true;
    }
    std::size_t line() const {
        std::size_t count = 1;
        for (std::size_t i = 0; i < position_ && i < text_.size(); ++i) count += text_[i] == '\n';
        return count;
    }

private:
    // A plain decimal of at most 15 digits without an exponent ("-0.756802", "12", "5."), most of
    // what design matrices hold: its digits as an integer, exact in a double, divided by a power
    // of ten, exact as well, so one correctly rounded division, which is the value strtod gives.
    // The end of the number, or null for the other forms.
    const char* plainDecimal(const char* p, double& out) const {
        static constexpr double powers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        const bool negative = *p == '-';
        if (negative) ++p;
        // Digits wrap around beyond 19, but more than 15 are refused anyway.
        const auto digit = [](char c) { return static_cast<unsigned>(static_cast<unsigned char>(c) - '0') < 10; };
        std::uint64_t digits = 0;
        const char* const start = p;
        while (digit(*p)) digits = digits * 10 + static_cast<std::uint64_t>(*p++ - '0');
        std::ptrdiff_t count = p - start, decimals = 0;
        if (*p == '.') {
            const char* const fraction = ++p;
            // Up to eight digits of the fraction at once, where eight bytes are there to look at;
            // one by one after eight, or where they are not.
            unsigned taken = 8;
            if (std::endian::native == std::endian::little && end_ - p >= 8) {
                taken = eightDigits(p, digits);
                p += taken;
            }
            if (taken == 8)
                while (digit(*p)) digits = digits * 10 + static_cast<std::uint64_t>(*p++ - '0');
            decimals = p - fraction;
            count += decimals;
        }
        // An exponent or a hexadecimal number go the long way (the text ends in its NUL).
        if (count == 0 || count > 15 || *p == 'e' || *p == 'E' || *p == 'x' || *p == 'X') return nullptr;
        const double magnitude = static_cast<double>(digits) / powers[decimals];
        out = negative ? -magnitude : magnitude;
        return p;
    }
    // The digits among the eight bytes at p, up to the first that is none, appended to `digits`
    // (eight ASCII digits combined in one word, as four pairs, two quadruples, one whole);
    // how many there were.
    static unsigned eightDigits(const char* p, std::uint64_t& digits) {
        static constexpr std::uint64_t powers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
        std::uint64_t chunk;
        std::memcpy(&chunk, p, 8);
        // A byte is a digit when it is 0x30 to 0x39: its high half 3, and 6 more not carrying out of it.
        const std::uint64_t ones = 0x0101010101010101ULL;
        const std::uint64_t notDigit =
            ((chunk & (0xF0 * ones)) ^ (0x30 * ones)) | (((chunk + 0x06 * ones) & (0xF0 * ones)) ^ (0x30 * ones));
        const unsigned count = notDigit == 0 ? 8u : static_cast<unsigned>(std::countr_zero(notDigit)) / 8;
        if (count == 0) return 0;
        // The digits in the high bytes, zeros (as leading digits) below them.
        std::uint64_t value = (chunk - 0x30 * ones) << (8 * (8 - count));
        value = (value * 10 + (value >> 8)) & 0x00FF00FF00FF00FFULL;
        value = (value * 100 + (value >> 16)) & 0x0000FFFF0000FFFFULL;
        value = (value * 10000 + (value >> 32)) & 0x00000000FFFFFFFFULL;
        digits = digits * powers[count] + value;
        return count;
    }
    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
    void skipSpace() {
        const char* const text = text_.c_str();
        for (;;) {
            // Runs of blanks (the padding of every field) eight bytes at a time.
            while (std::endian::native == std::endian::little && text_.size() - position_ >= 8) {
                std::uint64_t chunk;
                std::memcpy(&chunk, text + position_, 8);
                const std::uint64_t other = chunk ^ 0x2020202020202020ULL;  // zero bytes where blanks are
                if (other != 0) {
                    position_ += static_cast<std::size_t>(std::countr_zero(other)) / 8;
                    break;
                }
                position_ += 8;
            }
            if (position_ >= text_.size() || !isSpace(text[position_])) return;
            ++position_;
        }
    }
    const std::string& text_;
    const char* end_;  // of the text, before its NUL
    std::size_t position_ = 0;
};

template <typename T>
ParseResult<T> failAt(const Scanner& scanner, const std::string& expected) {
    return ParseResult<T>::failure(formatText("line %zu: expected %s", scanner.line(), expected.c_str()));
}

// What follows the header: the colours (SDM only), the names and the values, and nothing after.
ParseResult<SdmContent> parseColoursNamesAndValues(Scanner& scanner, std::size_t textSize, int predictors,
                                                   bool withColours, SdmContent content) {
    if (predictors < 0 || content.dataPoints < 0)
        return ParseResult<SdmContent>::failure("the header declares a negative count");
    // Every value takes at least two characters of text, so a count beyond the text's
    // length is a broken header, not a reason to reserve memory.
    const auto cells = static_cast<unsigned long long>(predictors) * static_cast<unsigned long long>(content.dataPoints);
    if (cells > textSize || static_cast<std::size_t>(predictors) > textSize)
        return ParseResult<SdmContent>::failure(
            formatText("the header declares %d predictors and %d data points, more than the file holds", predictors,
                       content.dataPoints));
    for (int p = 0; withColours && p < predictors; ++p) {
        Rgb color;
        if (!scanner.integer(color.red) || !scanner.integer(color.green) || !scanner.integer(color.blue))
            return failAt<SdmContent>(scanner, formatText("the colour of predictor %d (three integers)", p + 1));
        content.colors.push_back(color);
    }
    for (int p = 0; p < predictors; ++p) {
        std::string name;
        if (!scanner.name(name)) return failAt<SdmContent>(scanner, formatText("the name of predictor %d", p + 1));
        content.names.push_back(std::move(name));
    }
    content.values.reserve(static_cast<std::size_t>(cells));
    // Without predictors a row holds nothing, however many rows the header declares.
    for (int row = 0; predictors > 0 && row < content.dataPoints; ++row) {
        for (int p = 0; p < predictors; ++p) {
            double value = 0.0;
            if (!scanner.real(value))
                return failAt<SdmContent>(scanner,
                                          formatText("value %d of data point %d of %d", p + 1, row + 1, content.dataPoints));
            content.values.push_back(value);
        }
    }
    if (!scanner.atEnd()) return failAt<SdmContent>(scanner, "the end of the file after the last data point");
    return ParseResult<SdmContent>::success(std::move(content));
}

// "%.6g" of a value, as printf writes it, without printf: first its sign, six significant
// digits and decimal exponent, then the text. to_chars with a precision gives exactly that but
// is slow; the shortest text that reads back as the value (to_chars without one, fast) rounded
// to six digits is the same text, except when that shortest text has seven digits and ends in
// a 5: then the value's exact binary expansion decides, and the precise conversion writes it.
// (A rounding point between the value and its shortest text would itself be a text no longer
// than that one that reads back as the value, so none lies between them.) Subnormal values
// carry too few bits for that argument and take the precise conversion too.
constexpr std::size_t longestValueText = 48;

struct SixDigits {
    bool negative = false;
    char digits[24];
    int count = 0;  // without trailing zeros
    int exponent = 0;
};

// False when only the precise conversion gives printf's text.
bool sixDigitsOf(double value, SixDigits& six) {
    six.negative = std::signbit(value);
    if (!std::isfinite(value) || std::fabs(value) < 1e-300) return false;
    char* const digits = six.digits;
    int& count = six.count;
    int& exponent = six.exponent;
    char shortest[longestValueText];
    const char* const end = std::to_chars(shortest, shortest + sizeof shortest, value, std::chars_format::scientific).ptr;
    // "-d.dddde-XX": the sign, the digits without the point, the decimal exponent.
    const char* p = shortest;
    if (six.negative) ++p;
    count = 0;
    for (; p != end && *p != 'e'; ++p)
        if (*p != '.' && count < 24) digits[count++] = *p;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, exponent);
    if (count == 7 && digits[6] == '5') return false;
    if (count > 6) {
        const bool up = digits[6] >= '5';
        count = 6;
        for (int i = 5; up && i >= 0; --i) {
            if (digits[i] != '9') {
                ++digits[i];
                break;
            }
            digits[i] = '0';
            if (i == 0) {  // 999999.5 becomes 1000000
                digits[0] = '1';
                ++exponent;
            }
        }
    }
    while (count > 1 && digits[count - 1] == '0') --count;
    return true;
}

// Values from 1e-4 to below 1e6, where "%.6g" writes fixed notation (most values of a design
// matrix), go without a text between: the magnitude times a power of ten (exact from 10^0 to
// 10^9, so the product is rounded once, by at most 6e-11) rounded to an integer of six digits,
// written by pairs straight into the field. False, for the way through the shortest text, when
// the product lies within 1e-6 of a rounding point, where that one rounding could decide, or
// the text would fill the field.
bool writeFixedField(char* out, double value) {
    const double magnitude = std::fabs(value);
    if (!(magnitude >= 1e-4 && magnitude < 1e6)) return false;
    static constexpr double upperBounds[] = {1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
    static constexpr double scales[] = {1e9, 1e8, 1e7, 1e6, 1e5, 1e4, 1e3, 1e2, 1e1, 1e0};
    int index = 0;
    while (index < 9 && magnitude >= upperBounds[index]) ++index;
    const double scaled = magnitude * scales[index];
    const double whole = static_cast<double>(static_cast<std::uint64_t>(scaled));  // floor, as it is positive
    const double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) < 1e-6) return false;
    const double rounded = fraction > 0.5 ? whole + 1.0 : whole;
    // Below 100000 the exponent was taken one too high (an inexact bound): the digits would be off.
    if (scaled < 100000.0 || rounded > 999999.0) return false;

    static constexpr char pairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    const auto number = static_cast<unsigned>(rounded);
    const int exponent = index - 4;
    const bool negative = value < 0.0;
    constexpr bool littleEndian = std::endian::native == std::endian::little;
    // The six digits, the first at [0], and two zero bytes: on a little-endian machine a
    // register's worth with the first digit lowest.
    char six[8] = {};
    std::memcpy(six, pairs + 2 * (number / 10000), 2);
    std::memcpy(six + 2, pairs + 2 * (number / 100 % 100), 2);
    std::memcpy(six + 4, pairs + 2 * (number % 100), 2);
    std::uint64_t digits = 0;
    std::memcpy(&digits, six, 8);
    int significant = 6;
    if constexpr (littleEndian) {
        // The first digit is no zero, so the zero bytes (where '0's are) end below the top.
        significant = 6 - std::countl_zero((digits ^ 0x303030303030ULL) << 16) / 8;
    } else {
        while (significant > 1 && six[significant - 1] == '0') --significant;
    }
    const int fractionDigits = exponent >= 0 ? std::max(significant - exponent - 1, 0) : 0;
    const int length = (negative ? 1 : 0) + (exponent >= 0 ? exponent + 1 + (fractionDigits > 0 ? 1 + fractionDigits : 0)
                                                           : 1 - exponent + significant);
    if (length >= 12) return false;
    std::memcpy(out, "            ", 12);
    char* q = out + 12 - length;
    if constexpr (littleEndian) {
        // Written from the register by whole words, the position moved by their length: no
        // loop whose count changes from value to value, nothing read back that was just
        // written. What lands beyond the text's end falls on room that the next field or the
        // row's end writes over.
        *q = '-';
        q += negative ? 1 : 0;
        if (exponent >= 0) {
            std::memcpy(q, &digits, 8);
            q += exponent + 1;
            const std::uint64_t fraction = (digits >> (8 * (exponent + 1))) << 8 | '.';
            std::memcpy(q, &fraction, 8);
        } else {
            std::memcpy(q, "0.000", 5);
            std::memcpy(q + 1 - exponent, &digits, 8);
        }
        return true;
    }
    if (negative) *q++ = '-';
    if (exponent >= 0) {
        for (int i = 0; i <= exponent; ++i) *q++ = six[i];
        if (fractionDigits > 0) {
            *q++ = '.';
            for (int i = exponent + 1; i < significant; ++i) *q++ = six[i];
        }
    } else {
        *q++ = '0';
        *q++ = '.';
        for (int i = -1; i > exponent; --i) *q++ = '0';
        for (int i = 0; i < significant; ++i) *q++ = six[i];
    }
    return true;
}

bool scientific(const SixDigits& six) { return six.exponent < -4 || six.exponent >= 6; }

// The length of the text that writeSixDigits writes.
std::size_t sixDigitLength(const SixDigits& six) {
    std::size_t length = six.negative ? 1 : 0;
    if (scientific(six)) {
        const int magnitude = six.exponent < 0 ? -six.exponent : six.exponent;
        return length + 1 + (six.count > 1 ? six.count : 0) + 2 + (magnitude < 100 ? 2 : 3);
    }
    if (six.exponent < 0) return length + 2 + static_cast<std::size_t>(-six.exponent - 1 + six.count);
    return length + static_cast<std::size_t>(six.exponent + 1) +
           (six.count > six.exponent + 1 ? static_cast<std::size_t>(six.count - six.exponent) : 0);
}

char* writeSixDigits(char* q, const SixDigits& six) {
    const char* const digits = six.digits;
    const int count = six.count;
    const int exponent = six.exponent;
    if (six.negative) *q++ = '-';
    if (scientific(six)) {
        *q++ = digits[0];
        if (count > 1) {
            *q++ = '.';
            for (int i = 1; i < count; ++i) *q++ = digits[i];
        }
        *q++ = 'e';
        *q++ = exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10) *q++ = '0';
        q = std::to_chars(q, q + 4, magnitude).ptr;
    } else if (exponent < 0) {
        *q++ = '0';
        *q++ = '.';
        for (int i = -1; i > exponent; --i) *q++ = '0';
        for (int i = 0; i < count; ++i) *q++ = digits[i];
    } else {
        for (int i = 0; i <= exponent; ++i) *q++ = i < count ? digits[i] : '0';
        if (count > exponent + 1) {
            *q++ = '.';
            for (int i = exponent + 1; i < count; ++i) *q++ = digits[i];
        }
    }
    return q;
}

// A value in its 12-character field, or after one blank when its text fills the field,
// written straight into the text (`out` has room for the longest): the text's length is
// known before it is written, so that it goes to its place in the field at once.
char* writeValue(char* out, double value) {
    if (value == 0.0) {  // spikes, constants and silent stretches of predictors are mostly zeros
        std::memcpy(out, std::signbit(value) ? "          -0" : "           0", 12);
        return out + 12;
    }
    if (writeFixedField(out, value)) return out + 12;
    SixDigits six;
    if (sixDigitsOf(value, six)) {
        const std::size_t length = sixDigitLength(six);
        if (length < 12) {
            std::memcpy(out, "            ", 12);
            writeSixDigits(out + 12 - length, six);
            return out + 12;
        }
        *out = ' ';
        return writeSixDigits(out + 1, six);
    }
    char text[longestValueText];
    const std::size_t length = static_cast<std::size_t>(
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6).ptr - text);
    const std::size_t blanks = length < 12 ? 12 - length : 1;
    std::memset(out, ' ', blanks);
    std::memcpy(out + blanks, text, length);
    return out + blanks + length;
}

}  // namespace

std::string sdmText(const SdmContent& content) {
    std::string out;
    const int counts[] = {content.fileVersion, content.predictorCount(), content.dataPoints,
                          content.includesConstant, content.firstConfoundPredictor};
    for (int i = 0; i < 5; ++i) {
        out += formatText("%-25s%d\n", headerKeys[i], counts[i]);
        if (i == 0 || i == 4) out += "\n";
    }
    for (std::size_t p = 0; p < content.colors.size(); ++p) {
        if (p > 0) out += "   ";
        out += formatText("%d %d %d", content.colors[p].red, content.colors[p].green, content.colors[p].blue);
    }
    out += "\n";
    for (std::size_t p = 0; p < content.names.size(); ++p) {
        if (p > 0) out += " ";
        out += "\"" + content.names[p] + "\"";
    }
    out += "\n";
    // The rows are written into the text directly, a row's worth of room made at a time.
    const std::size_t predictors = static_cast<std::size_t>(std::max(content.predictorCount(), 0));
    const std::size_t rowRoom = predictors * (longestValueText + 1) + 1;
    std::size_t used = out.size();
    // Room for every row in 12-character fields, and for one row of the longest texts beyond,
    // so that the text grows only when values are longer than their fields.
    out.resize(used + static_cast<std::size_t>(std::max(content.dataPoints, 0)) * (predictors * 12 + 1) + rowRoom);
    for (int row = 0; row < content.dataPoints; ++row) {
        if (out.size() - used < rowRoom) out.resize(std::max(out.size() * 3 / 2, used + rowRoom));
        char* const start = out.data() + used;
        char* end = start;
        for (std::size_t p = 0; p < predictors; ++p) end = writeValue(end, content.value(row, static_cast<int>(p)));
        *end++ = '\n';
        used += static_cast<std::size_t>(end - start);
    }
    out.resize(used);
    return out;
}

namespace {

// The scanner needs a terminating NUL, which a std::string has.
ParseResult<SdmContent> parseSdmText(const std::string& owned) {
    Scanner scanner(owned);
    SdmContent content;
    int header[5] = {};
    for (int i = 0; i < 5; ++i) {
        std::string key;
        if (!scanner.word(key) || !scanner.integer(header[i]))
            return failAt<SdmContent>(scanner, formatText("the header value %s <integer>", headerKeys[i]));
    }
    content.fileVersion = header[0];
    content.dataPoints = header[2];
    content.includesConstant = header[3];
    content.firstConfoundPredictor = header[4];
    return parseColoursNamesAndValues(scanner, owned.size(), header[1], true, std::move(content));
}

}  // namespace

ParseResult<SdmContent> parseSdm(std::string_view text) { return parseSdmText(std::string(text)); }

ParseResult<SdmContent> parseRtc(std::string_view text) {
    const std::string owned(text);
    Scanner scanner(owned);
    SdmContent content;
    std::string key, type;
    int predictors = 0;
    if (!scanner.word(key) || !scanner.integer(content.fileVersion))
        return failAt<SdmContent>(scanner, "the header value FileVersion: <integer>");
    if (!scanner.word(key) || !scanner.word(type)) return failAt<SdmContent>(scanner, "the header value Type:");
    if (!scanner.word(key) || !scanner.integer(predictors))
        return failAt<SdmContent>(scanner, "the header value NrOfPredictors: <integer>");
    if (!scanner.word(key) || !scanner.integer(content.dataPoints))
        return failAt<SdmContent>(scanner, "the header value NrOfDataPoints: <integer>");
    return parseColoursNamesAndValues(scanner, owned.size(), predictors, false, std::move(content));
}

ParseResult<SdmContent> readSdmFile(const std::string& path) {
    ParseResult<std::string> text = readWholeFile(path);
    if (!text) return ParseResult<SdmContent>::failure(text.error);
    return parseSdmText(*text.value);  // read whole, so not copied again
}

ParseResult<ConfoundFileHeader> parseSdmHeader(std::string_view text) {
    const std::string owned(text);
    Scanner scanner(owned);
    int header[5] = {};
    for (int i = 0; i < 5; ++i) {
        std::string key;
        if (!scanner.word(key) || !scanner.integer(header[i]))
            return failAt<ConfoundFileHeader>(scanner, formatText("the header value %s <integer>", headerKeys[i]));
    }
    return ParseResult<ConfoundFileHeader>::success({header[1], header[2], header[3]});
}

ParseResult<ConfoundFileHeader> parseRtcHeader(std::string_view text) {
    const std::string owned(text);
    Scanner scanner(owned);
    std::string key, type;
    int version = 0;
    ConfoundFileHeader header;
    if (!scanner.word(key) || !scanner.integer(version))
        return failAt<ConfoundFileHeader>(scanner, "the header value FileVersion: <integer>");
    if (!scanner.word(key) || !scanner.word(type)) return failAt<ConfoundFileHeader>(scanner, "the header value Type:");
    if (!scanner.word(key) || !scanner.integer(header.predictorCount))
        return failAt<ConfoundFileHeader>(scanner, "the header value NrOfPredictors: <integer>");
    if (!scanner.word(key) || !scanner.integer(header.dataPoints))
        return failAt<ConfoundFileHeader>(scanner, "the header value NrOfDataPoints: <integer>");
    return ParseResult<ConfoundFileHeader>::success(header);
}

}  // namespace morvane
