#include "base/raster/VideoBuffer.h"
#include "view/ViewLayers.h"

#include <gtest/gtest.h>

#include <set>

using namespace kv;

TEST(ViewLayersTest, LatticeVisitsEveryOffsetOnceInTheGivenOrder)
{
    std::set<std::pair<int, int>> seen;
    for (const auto& offset : kLatticeOrder) {
        ASSERT_GE(offset[0], 0);
        ASSERT_LT(offset[0], 5);
        ASSERT_GE(offset[1], 0);
        ASSERT_LT(offset[1], 5);
        seen.insert({offset[0], offset[1]});
    }
    EXPECT_EQ(seen.size(), 25u);
    // The first passes spread over the whole lattice: (0,0), (2,2), (2,0), (4,2), ...
    EXPECT_EQ(kLatticeOrder[1][0], 2);
    EXPECT_EQ(kLatticeOrder[1][1], 2);
    EXPECT_EQ(kLatticeOrder[3][0], 4);
    EXPECT_EQ(kLatticeOrder[3][1], 2);
    EXPECT_EQ(kLatticeOrder[24][0], 4);
    EXPECT_EQ(kLatticeOrder[24][1], 3);
}

TEST(ViewLayersTest, SpreadTablesCoverThePixelsWithWidthsDifferingByOne)
{
    struct Case {
        int pixels, cells;
    } cases[] = {{100, 32}, {2048, 2048}, {1000, 999}, {37, 37}, {2047, 32}, {5, 3}};
    for (const Case& c : cases) {
        auto table = std::make_unique<SpreadTable>();
        table->Build(c.pixels, c.cells);
        int next = 0, low = c.pixels, high = 0;
        for (int j = 0; j < c.cells; ++j) {
            EXPECT_EQ(table->first[j], next) << c.pixels << "/" << c.cells << " cell " << j;
            next += table->width[j];
            low = std::min(low, table->width[j]);
            high = std::max(high, table->width[j]);
        }
        EXPECT_EQ(next, c.pixels) << c.pixels << "/" << c.cells;
        EXPECT_LE(high - low, 1) << c.pixels << "/" << c.cells;
        EXPECT_EQ(low, c.pixels / c.cells);
        for (int j = c.cells; j < kSpreadTableSize; ++j)
            ASSERT_EQ(table->width[j] | table->first[j], 0);
    }
}

TEST(ViewLayersTest, LayerBlendArithmetic)
{
    VideoBuffer dst(8, 2), layer(8, 2);
    // Destination bytes 200, 100, 50 (red, green, blue).
    dst.Clear(0x3264C8u);
    struct Case {
        uint32_t layer;
        uint32_t expected;
    } cases[] = {
        // alpha 0: untouched
        {0x00FFFFFFu, 0x3264C8u},
        // alpha 255: src x 255 / 256 and nothing of the destination: 255 -> 254, 0 -> 0, 128 -> 127
        {0xFF8000FFu, 0x7F00FEu},
        // alpha 128: src x 128 / 256 + (dst x 127) >> 8
        // red 100*128/256 + (200*127)>>8 = 50 + 99; green 0 + (100*127)>>8 = 49; blue 255*128/256 + (50*127)>>8 = 127 + 24
        {0x80FF0064u, static_cast<uint32_t>((127 + 24) << 16 | 49 << 8 | (50 + 99))},
    };
    for (int i = 0; i < 3; ++i)
        layer.SetPixel(i, 0, cases[i].layer);
    BlendLayer(dst, layer);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(dst.GetPixel(i, 0), cases[i].expected) << i;
    // The fourth byte of a blended pixel is 0; of an untouched one as it was.
    EXPECT_EQ(dst.GetPixel(3, 1), 0x3264C8u);
}

TEST(ViewLayersTest, MaskedCopyTakesColourOnlyUnderTheMask)
{
    VideoBuffer dst(4, 2), colour(4, 2), mask(4, 2);
    dst.Clear(0x123456);
    colour.Clear(0xABCDEF);
    mask.SetPixel(1, 0, 0xFFFFFF);
    mask.SetPixel(2, 1, 0x00FF00);  // a partial mask mixes bitwise
    ComposeMasked(dst, colour, mask);
    EXPECT_EQ(dst.GetPixel(0, 0), 0x123456u);
    EXPECT_EQ(dst.GetPixel(1, 0), 0xABCDEFu);
    EXPECT_EQ(dst.GetPixel(2, 1), 0x12CD56u);
}

TEST(ViewLayersTest, HatchStylesAndTheMovingSelectionPattern)
{
    // Index table order: back-diagonal, cross, diagonal cross, forward diagonal, horizontal, vertical.
    EXPECT_TRUE(HatchLineAt(kHatchHorizontal, 5, 8));
    EXPECT_FALSE(HatchLineAt(kHatchHorizontal, 5, 9));
    EXPECT_TRUE(HatchLineAt(kHatchVertical, 16, 3));
    EXPECT_TRUE(HatchLineAt(kHatchForwardDiagonal, 3, 3));
    EXPECT_FALSE(HatchLineAt(kHatchForwardDiagonal, 4, 3));
    EXPECT_TRUE(HatchLineAt(kHatchBackDiagonal, 4, 3));
    EXPECT_TRUE(HatchLineAt(kHatchDiagonalCross, 3, 3) && HatchLineAt(kHatchDiagonalCross, 4, 3));
    EXPECT_TRUE(HatchLineAt(kHatchCross, 0, 5) && HatchLineAt(kHatchCross, 5, 0));

    VideoBuffer tile(kHatchTileSize, kHatchTileSize);
    FillHatch(tile, kHatchCross, 0x0000FF, 0x00FF00);
    EXPECT_EQ(tile.GetPixel(8, 5), 0x0000FFu);
    EXPECT_EQ(tile.GetPixel(5, 5), 0x00FF00u);

    // The pattern shifts right with its origin.
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 8; ++y)
            ASSERT_EQ(SelectionPatternAt(x + 3, y, 3), SelectionPatternAt(x, y, 0));
    int set = 0;
    for (int x = 0; x < 8; ++x)
        set += SelectionPatternAt(x, 0, 0);
    EXPECT_EQ(set, 4);
}
