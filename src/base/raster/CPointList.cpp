#include "base/raster/CPointList.h"

#include "platform/Archive.h"

#include <limits>

namespace kv {

void CPointList::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        if (size() > std::numeric_limits<uint32_t>::max())
            CArchive::Throw(CArchiveException::generic, "point list: too many points to store");
        const uint32_t n = static_cast<uint32_t>(size());
        if (n < 0xFFFF) {
            ar << static_cast<uint16_t>(n);
        } else {
            ar << static_cast<uint16_t>(0xFFFF) << n;
        }
        for (const CanvasPoint& p : *this)
            ar << p.x << p.y;
        return;
    }
    uint16_t shortCount = 0;
    ar >> shortCount;
    uint32_t n = shortCount;
    if (shortCount == 0xFFFF)
        ar >> n;
    ar.Require(static_cast<uint64_t>(n) * 8);
    CPointList points;
    points.resize(n);
    for (CanvasPoint& p : points)
        ar >> p.x >> p.y;
    swap(points);
}

} // namespace kv
