#pragma once

#include <cstdint>
#include <vector>

// A picture as palette indices, ready for a GIF encoder.
struct TIndexedPicture {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint32_t> Palette;  // 0x00RRGGBB, at most 256 entries
    std::vector<uint8_t> Indices;   // row-major, Width x Height
    bool Reduced = false;           // more than 256 colours were reduced to 256
};

// Builds the palette of a row-major picture of 0xAARRGGBB pixels (alpha is ignored).
// With at most 256 distinct colours the palette holds exactly those colours, in order of first
// appearance, so the colour of the top-left pixel is entry 0. With more (anti-aliased edges make
// many), the most frequent colours are kept exactly and the rest are reduced by median cut, each
// pixel taking the nearest palette colour.
TIndexedPicture IndexPicture(const uint32_t* pixels, int32_t width, int32_t height,
                             int32_t strideInPixels);

inline constexpr int MaxPaletteSize = 256;
