// A list of integer pixel points: the pixel outline of a polygon fill.
#pragma once

#include <cstdint>
#include <vector>

namespace kv {

class CArchive;

struct PixelPoint {
    int32_t x = 0;
    int32_t y = 0;

    bool operator==(const PixelPoint&) const = default;
};

class CPointList : public std::vector<PixelPoint> {
public:
    using std::vector<PixelPoint>::vector;

    // The element count (16 bits, or 0xFFFF and 32 bits from 0xFFFF up), then each point
    // as two little-endian int32 (x, y). Loading checks the count against the bytes left
    // before allocating and raises the archive error on a short record.
    void Serialize(CArchive& ar);
};

} // namespace kv
