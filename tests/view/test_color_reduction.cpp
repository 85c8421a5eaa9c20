#include <gtest/gtest.h>

#include <set>

#include "view/ColorReduction.h"

namespace {

uint32_t Rgb(int r, int g, int b) {
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

TEST(ColorReduction, FewColoursAreKeptExactlyInOrderOfAppearance) {
    // 3 x 2 picture inside rows of 4 pixels (the fourth is padding that must be ignored).
    const std::vector<uint32_t> pixels = {Rgb(9, 9, 9),   Rgb(1, 2, 3), Rgb(9, 9, 9), Rgb(7, 7, 7),
                                          Rgb(200, 0, 0), Rgb(1, 2, 3), Rgb(9, 9, 9), Rgb(8, 8, 8)};
    const TIndexedPicture p = IndexPicture(pixels.data(), 3, 2, 4);
    EXPECT_FALSE(p.Reduced);
    EXPECT_EQ(p.Palette, (std::vector<uint32_t>{0x090909, 0x010203, 0xC80000}));
    EXPECT_EQ(p.Indices, (std::vector<uint8_t>{0, 1, 0, 2, 1, 0}));
}

TEST(ColorReduction, Exactly256ColoursNeedNoReduction) {
    std::vector<uint32_t> pixels;
    for (int i = 0; i < 256; ++i) pixels.push_back(Rgb(i, 255 - i, 3));
    const TIndexedPicture p = IndexPicture(pixels.data(), 16, 16, 16);
    EXPECT_FALSE(p.Reduced);
    ASSERT_EQ(p.Palette.size(), 256u);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(p.Indices[i], i);
}

TEST(ColorReduction, ManyColoursAreReducedKeepingFlatAreasExact) {
    // A flat background and a few flat fills, plus a gradient of 4096 shades.
    const int w = 128, h = 96;
    std::vector<uint32_t> pixels(w * h, Rgb(240, 240, 240));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) pixels[y * w + x] = Rgb(x * 4, y * 8, 128);
    for (int y = 40; y < 60; ++y)
        for (int x = 0; x < w; ++x) pixels[y * w + x] = Rgb(102, 0, 51);
    for (int y = 60; y < 70; ++y)
        for (int x = 0; x < w; ++x) pixels[y * w + x] = Rgb(221, 238, 254);
    const TIndexedPicture p = IndexPicture(pixels.data(), w, h, w);
    EXPECT_TRUE(p.Reduced);
    ASSERT_LE(p.Palette.size(), 256u);
    ASSERT_EQ(p.Indices.size(), size_t(w * h));
    // The top-left colour stays entry 0 and the flat fills keep their exact colours.
    EXPECT_EQ(p.Indices[0], 0);
    EXPECT_EQ(p.Palette[p.Indices[w * 95]], 0xF0F0F0u);
    EXPECT_EQ(p.Palette[p.Indices[w * 50 + 5]], 0x660033u);
    EXPECT_EQ(p.Palette[p.Indices[w * 65 + 5]], 0xDDEEFEu);
    // Every gradient pixel maps to a near colour.
    int worst = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) {
            const uint32_t got = p.Palette[p.Indices[y * w + x]];
            const int dr = int((got >> 16) & 0xFF) - x * 4;
            const int dg = int((got >> 8) & 0xFF) - y * 8;
            const int db = int(got & 0xFF) - 128;
            worst = std::max(worst, dr * dr + dg * dg + db * db);
        }
    EXPECT_LT(worst, 30 * 30);
    std::set<uint32_t> distinct(p.Palette.begin(), p.Palette.end());
    EXPECT_GT(distinct.size(), 200u);
}

TEST(ColorReduction, EmptyPictureGivesNothing) {
    const TIndexedPicture p = IndexPicture(nullptr, 0, 0, 0);
    EXPECT_TRUE(p.Palette.empty());
    EXPECT_TRUE(p.Indices.empty());
}

}  // namespace
