#pragma once

#include <cstdint>

// The one colour type of the program: an opaque or translucent colour as 0xAARRGGBB, the form
// the painting layer hands to Qt unchanged.
using TArgb = uint32_t;

constexpr TArgb ColorToArgb(int red, int green, int blue) {
    return 0xFF000000u | (static_cast<uint32_t>(red & 0xFF) << 16) |
           (static_cast<uint32_t>(green & 0xFF) << 8) | static_cast<uint32_t>(blue & 0xFF);
}
