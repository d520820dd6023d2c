#include "view/ViewLayers.h"

#include "base/raster/VideoBuffer.h"

#include <algorithm>

namespace kv {

const int kLatticeOrder[kLatticePasses][2] = {
    {0, 0}, {2, 2}, {2, 0}, {4, 2}, {1, 3}, {3, 1}, {4, 4}, {1, 1}, {3, 3}, {4, 0}, {0, 2}, {2, 4}, {0, 4},
    {1, 0}, {3, 2}, {2, 1}, {1, 4}, {4, 1}, {1, 2}, {0, 3}, {3, 4}, {2, 3}, {0, 1}, {3, 0}, {4, 3},
};

bool HatchLineAt(int style, int x, int y)
{
    x &= 7;
    y &= 7;
    const bool horizontal = y == 0;
    const bool vertical = x == 0;
    const bool forward = x == y;          // top-left to bottom-right
    const bool backward = x + y == 7;     // bottom-left to top-right
    switch (style) {
    case kHatchBackDiagonal:
        return backward;
    case kHatchCross:
        return horizontal || vertical;
    case kHatchDiagonalCross:
        return forward || backward;
    case kHatchForwardDiagonal:
        return forward;
    case kHatchHorizontal:
        return horizontal;
    case kHatchVertical:
        return vertical;
    default:
        return false;
    }
}

void FillHatch(VideoBuffer& buffer, int style, uint32_t lineColour, uint32_t background)
{
    lineColour &= 0xFFFFFFu;
    background &= 0xFFFFFFu;
    for (int y = 0; y < buffer.GetHeight(); ++y)
        for (int x = 0; x < buffer.GetWidth(); ++x)
            buffer.SetPixelFast(x, y, HatchLineAt(style, x, y) ? lineColour : background);
}

namespace {

// Diagonal stripes four pixels wide; bit 7 is the leftmost pixel.
constexpr uint8_t kSelectionTile[8] = {0xF0, 0x78, 0x3C, 0x1E, 0x0F, 0x87, 0xC3, 0xE1};

} // namespace

bool SelectionPatternAt(int x, int y, int originX)
{
    const int col = (x - originX) & 7;
    return (kSelectionTile[y & 7] >> (7 - col)) & 1;
}

void FillSelectionPattern(VideoBuffer& buffer, int originX)
{
    for (int y = 0; y < buffer.GetHeight(); ++y)
        for (int x = 0; x < buffer.GetWidth(); ++x)
            buffer.SetPixelFast(x, y, SelectionPatternAt(x, y, originX) ? 0xFFFFFFu : 0u);
}

void BlendLayer(VideoBuffer& dst, const VideoBuffer& layer)
{
    if (dst.GetBitCount() != 32 || layer.GetBitCount() != 32 || dst.GetWidth() != layer.GetWidth() ||
        dst.GetHeight() != layer.GetHeight())
        return;
    const size_t count = static_cast<size_t>(dst.GetWidth()) * static_cast<size_t>(dst.GetHeight());
    uint8_t* d = dst.GetBits();
    const uint8_t* s = layer.GetBits();
    for (size_t i = 0; i < count; ++i, d += 4, s += 4) {
        const unsigned a = s[3];
        if (a == 0)
            continue;
        for (int k = 0; k < 3; ++k)
            d[k] = static_cast<uint8_t>(s[k] * a / 256 + ((d[k] * (255 - a)) >> 8));
        d[3] = 0;
    }
}

void ComposeMasked(VideoBuffer& dst, const VideoBuffer& colour, const VideoBuffer& mask)
{
    if (dst.GetBitCount() != 32 || colour.GetBitCount() != 32 || mask.GetBitCount() != 32 ||
        dst.GetWidth() != colour.GetWidth() || dst.GetHeight() != colour.GetHeight() ||
        dst.GetWidth() != mask.GetWidth() || dst.GetHeight() != mask.GetHeight())
        return;
    const size_t count = static_cast<size_t>(dst.GetWidth()) * static_cast<size_t>(dst.GetHeight()) * 4;
    uint8_t* d = dst.GetBits();
    const uint8_t* c = colour.GetBits();
    const uint8_t* m = mask.GetBits();
    for (size_t i = 0; i < count; ++i)
        d[i] = static_cast<uint8_t>((c[i] & m[i]) | (d[i] & ~m[i]));
}

void SpreadTable::Build(int pixels, int cells)
{
    std::fill(width, width + kSpreadTableSize, 0);
    std::fill(first, first + kSpreadTableSize, 0);
    cells = std::clamp(cells, 0, kSpreadTableSize);
    if (cells == 0 || pixels <= 0)
        return;
    // The running sum of pixels / cells in exact integers: the whole part of (j + 1) x
    // pixels / cells less that of j x pixels / cells.
    for (int j = 0; j < cells; ++j) {
        const long long start = static_cast<long long>(j) * pixels / cells;
        const long long end = static_cast<long long>(j + 1) * pixels / cells;
        first[j] = static_cast<int>(start);
        width[j] = static_cast<int>(end - start);
    }
}

} // namespace kv
