#include "confounds/numberFormat.h"

#include <charconv>
#include <cstddef>

namespace {

// The longest fixed text of a double: 309 integer digits, sign, point and six decimals.
constexpr std::size_t longestFixedText = 330;
constexpr std::size_t longestGeneralText = 32;

}  // namespace

void appendDefaultNotation(std::string& text, double value) {
    char digits[longestGeneralText];
    const std::to_chars_result result =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 6);
    text.append(digits, result.ptr);
}

void appendFixedSixDecimals(std::string& text, double value) {
    char digits[longestFixedText];
    const std::to_chars_result result =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 6);
    // Only "inf" and "nan" are shorter than the field width of four; printf pads them on
    // the left.
    const std::size_t length = static_cast<std::size_t>(result.ptr - digits);
    if (length < 4) text.append(4 - length, ' ');
    text.append(digits, result.ptr);
}
