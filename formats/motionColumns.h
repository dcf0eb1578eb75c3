// The six columns of the motion file the host's motion correction writes (an SDM without a
// constant): translations X, Y, Z in millimetres, then rotations X, Y, Z in degrees, with
// these names and colours, in this order.
#pragma once

#include <array>

#include "formats/protocolFile.h"

namespace morvane {

struct MotionColumn {
    const char* name;
    Rgb color;
};

inline constexpr std::array<MotionColumn, 6> hostMotionColumns{{
    {"Translation MN-X [mm]", {255, 50, 50}},
    {"Translation MN-Y [mm]", {50, 255, 50}},
    {"Translation MN-Z [mm]", {50, 50, 255}},
    {"Rotation MN-X [deg]", {255, 255, 0}},
    {"Rotation MN-Y [deg]", {255, 0, 255}},
    {"Rotation MN-Z [deg]", {0, 255, 255}},
}};

}  // namespace morvane
