#include "formats/sdmFile.h"

#include <algorithm>
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
    explicit Scanner(const std::string& text) : text_(text) {}

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
    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
    void skipSpace() {
        while (position_ < text_.size() && isSpace(text_[position_])) ++position_;
    }
    const std::string& text_;
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

// "%.6g" of a value, as printf writes it. to_chars with a precision gives exactly that but is
// slow; the shortest text that reads back as the value (to_chars without one, fast) rounded to
// six digits is the same text, except when that shortest text has seven digits and ends in a 5:
// then the value's exact binary expansion decides, and the precise conversion writes it. (A
// rounding point between the value and its shortest text would itself be a text no longer
// than that one that reads back as the value, so none lies between them.) Subnormal values
// carry too few bits for that argument and take the precise conversion too.
constexpr std::size_t longestValueText = 48;

std::size_t sixDigitText(char* out, double value) {
    const auto precise = [&] {
        return static_cast<std::size_t>(
            std::to_chars(out, out + longestValueText, value, std::chars_format::general, 6).ptr - out);
    };
    if (!std::isfinite(value) || std::fabs(value) < 1e-300) return precise();
    char shortest[longestValueText];
    const char* const end = std::to_chars(shortest, shortest + sizeof shortest, value, std::chars_format::scientific).ptr;
    // "-d.dddde-XX": the sign, the digits without the point, the decimal exponent.
    const char* p = shortest;
    const bool negative = *p == '-';
    if (negative) ++p;
    char digits[24];
    int count = 0;
    for (; p != end && *p != 'e'; ++p)
        if (*p != '.' && count < 24) digits[count++] = *p;
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, exponent);
    if (count == 7 && digits[6] == '5') return precise();
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

    char* q = out;
    if (negative) *q++ = '-';
    if (exponent < -4 || exponent >= 6) {
        *q++ = digits[0];
        if (count > 1) {
            *q++ = '.';
            for (int i = 1; i < count; ++i) *q++ = digits[i];
        }
        *q++ = 'e';
        *q++ = exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10) *q++ = '0';
        q = std::to_chars(q, out + longestValueText, magnitude).ptr;
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
    return static_cast<std::size_t>(q - out);
}

// A value in its 12-character field, or after one blank when its text fills the field,
// written straight into the text (`out` has room for the longest).
char* writeValue(char* out, double value) {
    char text[longestValueText];
    const std::size_t length = sixDigitText(text, value);
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
    out.resize(used + static_cast<std::size_t>(std::max(content.dataPoints, 0)) * (predictors * 12 + 1));
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

ParseResult<SdmContent> parseSdm(std::string_view text) {
    const std::string owned(text);  // the scanner needs a terminating NUL
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
    return parseSdm(*text.value);
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
