// Red, green and blue of a host colour, taken from its upper-case hexadecimal text.
#pragma once

#include <cstdint>
#include <string_view>

// Component 1 reads the characters at positions 0 and 1 of the text, 2 those at 2 and 3,
// 3 those at 4 and 5, as 16 x first + second; a character that is not 0-9 or A-F, or that
// lies past the end of the text, counts 0. Any other component number gives 0.
int colorComponentFromHex(std::string_view hex, int component);

struct ColorComponents {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// The components of the colour written as "%06X": for 0xRRGGBB, RR, GG and BB.
ColorComponents colorComponents(std::int32_t color);
