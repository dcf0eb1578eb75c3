#include "designmatrix/colorComponents.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

struct HexCase {
    const char* hex;
    int component;
    int expected;
};

class ColorComponentFromHexTest : public testing::TestWithParam<HexCase> {};

TEST_P(ColorComponentFromHexTest, ReadsTwoDigits) {
    const HexCase& c = GetParam();
    EXPECT_EQ(colorComponentFromHex(c.hex, c.component), c.expected)
        << c.hex << " component " << c.component;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ColorComponentFromHexTest,
    testing::Values(HexCase{"FF8000", 1, 255}, HexCase{"FF8000", 2, 128}, HexCase{"FF8000", 3, 0},
                    HexCase{"0A0B0C", 1, 10}, HexCase{"0A0B0C", 2, 11}, HexCase{"0A0B0C", 3, 12},
                    HexCase{"1F2E3D", 3, 0x3D},
                    // Lower case and other characters count 0 in their place.
                    HexCase{"ff8000", 1, 0}, HexCase{"G1Z2x3", 1, 1}, HexCase{"G1Z2x3", 3, 3},
                    // Past the end of the text nothing is read.
                    HexCase{"F", 1, 240}, HexCase{"FF", 2, 0}, HexCase{"", 1, 0},
                    HexCase{"FF8000", 0, 0}, HexCase{"FF8000", 4, 0}, HexCase{"FF8000", -1, 0}));

struct ColorCase {
    std::int32_t color;
    int red;
    int green;
    int blue;
};

class ColorComponentsTest : public testing::TestWithParam<ColorCase> {};

TEST_P(ColorComponentsTest, SplitsTheHexText) {
    const ColorCase& c = GetParam();
    const ColorComponents components = colorComponents(c.color);
    EXPECT_EQ(std::tie(components.red, components.green, components.blue),
              std::tie(c.red, c.green, c.blue))
        << std::hex << c.color;
}

INSTANTIATE_TEST_SUITE_P(
    Colors, ColorComponentsTest,
    testing::Values(ColorCase{0xFF8000, 255, 128, 0}, ColorCase{0x0000FF, 0, 0, 255},
                    ColorCase{0, 0, 0, 0}, ColorCase{0x123456, 0x12, 0x34, 0x56},
                    // More than six digits: the components come from the first six.
                    ColorCase{0x1FF8000, 0x1F, 0xF8, 0x00}, ColorCase{-1, 255, 255, 255}));

}  // namespace
