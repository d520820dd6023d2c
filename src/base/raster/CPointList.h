// A list of integer pixel points: the pixel outline of a polygon fill.
#pragma once

#include "base/raster/Canvas.h"

#include <cstdint>
#include <vector>

namespace kv {

class CArchive;

// Points are the canvas's integer pixel points (x and y as 32-bit signed integers).
static_assert(sizeof(CanvasPoint::x) == 4 && sizeof(CanvasPoint::y) == 4);

class CPointList : public std::vector<CanvasPoint> {
public:
    using std::vector<CanvasPoint>::vector;

    // The element count (16 bits, or 0xFFFF and 32 bits from 0xFFFF up), then each point
    // as two little-endian int32 (x, y). Loading checks the count against the bytes left
    // before allocating and raises the archive error on a short record.
    void Serialize(CArchive& ar);
};

} // namespace kv
