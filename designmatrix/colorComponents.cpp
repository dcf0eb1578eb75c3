#include "designmatrix/colorComponents.h"

#include "common/text.h"

namespace {

int hexDigitValue(std::string_view hex, std::size_t position) {
    if (position >= hex.size()) return 0;
    const char c = hex[position];
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

}  // namespace

int colorComponentFromHex(std::string_view hex, int component) {
    if (component < 1 || component > 3) return 0;
    const std::size_t first = static_cast<std::size_t>(component - 1) * 2;
    return 16 * hexDigitValue(hex, first) + hexDigitValue(hex, first + 1);
}

ColorComponents colorComponents(std::int32_t color) {
    // A value beyond 0xFFFFFF has more than six digits; the components are still read from
    // the first six, as the host's reports do.
    const std::string hex = formatText("%06X", static_cast<unsigned>(color));
    return {colorComponentFromHex(hex, 1), colorComponentFromHex(hex, 2),
            colorComponentFromHex(hex, 3)};
}
