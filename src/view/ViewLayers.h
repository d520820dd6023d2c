// The pixel arithmetic of the map view's composition and its progressive render: the
// blend of a layer with alpha, the masked copy of the grid and selection layers, the
// hatch patterns of the background, the moving selection pattern, the lattice order of
// the passes and the tables that spread computed cells over pixels.
#pragma once

#include <cstdint>

namespace kv {

class VideoBuffer;

// Number of progressive passes in one round of the 5 x 5 lattice.
constexpr int kLatticePasses = 25;
// (column, row) offset inside the 5 x 5 lattice of pass p mod 25.
extern const int kLatticeOrder[kLatticePasses][2];

// Hatch styles of the background, by the index kept in the profile (0..5).
enum HatchStyle : int {
    kHatchBackDiagonal = 0,
    kHatchCross = 1,
    kHatchDiagonalCross = 2,
    kHatchForwardDiagonal = 3,
    kHatchHorizontal = 4,
    kHatchVertical = 5,
};
constexpr int kHatchStyleCount = 6;
constexpr int kDefaultHatchIndex = kHatchDiagonalCross;
// The hatch tile the view keeps for failed cells.
constexpr int kHatchTileSize = 20;

// True where the 8 x 8 hatch pattern of `style` draws a line at pixel (x, y) (the
// pattern is aligned to the buffer's top-left corner).
bool HatchLineAt(int style, int x, int y);
// Fills the whole buffer with the hatch: lines in `lineColour` on `background`.
void FillHatch(VideoBuffer& buffer, int style, uint32_t lineColour, uint32_t background);

// The view's own 8 x 8 monochrome selection pattern: white where set, black elsewhere,
// shifted right by `originX` (the draw counter modulo 8, so the pattern moves).
bool SelectionPatternAt(int x, int y, int originX);
void FillSelectionPattern(VideoBuffer& buffer, int originX);

// Blends a 32-bit layer over `dst` of the same size: where the layer's alpha a (top
// byte) is above 0 each colour byte becomes src x a / 256 + (dst x (255 - a)) >> 8 and
// the fourth byte 0.
void BlendLayer(VideoBuffer& dst, const VideoBuffer& layer);
// dst = (colour AND mask) OR (dst AND NOT mask), pixel by pixel (32 bits).
void ComposeMasked(VideoBuffer& dst, const VideoBuffer& colour, const VideoBuffer& mask);

// The spreading of `cells` computed cells over `pixels` pixels (cells <= pixels <= 2048):
// the running sum of pixels / cells gives each cell the whole part as its width, the
// fraction carrying on; `first` is the sum of the previous widths. Entries past the last
// cell, up to 2048, are 0.
constexpr int kSpreadTableSize = 2048;
struct SpreadTable {
    int width[kSpreadTableSize];
    int first[kSpreadTableSize];
    void Build(int pixels, int cells);
};

} // namespace kv
