// The texts of a value: from the standard functions, and from the extended design matrix's
// own formats, for tests that compare them.
#pragma once

#include <cstdio>
#include <sstream>
#include <string>

#include "confounds/numberFormat.h"

namespace numbertexts {

inline std::string printed(const char* format, double value) {
    const int length = std::snprintf(nullptr, 0, format, value);
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, value);
    return text;
}

inline std::string streamed(double value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

inline std::string defaultNotation(double value) {
    char text[longestDefaultNotation];
    return std::string(text, writeDefaultNotation(text, value));
}

inline std::string fixedSix(double value) {
    char text[longestFixedSixDecimals];
    return std::string(text, writeFixedSixDecimals(text, value));
}

}  // namespace numbertexts
