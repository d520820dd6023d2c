#include "view/ColorBarRows.h"

#include "base/color/CColorList.h"
#include "base/color/LightParms.h"

namespace kv {

namespace {

CColorList NearestCopy(const CColorList& list)
{
    CColorList copy(list);
    copy.SetInterpolation(CColorList::kNearest);
    return copy;
}

} // namespace

std::vector<uint32_t> ColorBarRowColors(const CColorList& list, int height)
{
    std::vector<uint32_t> rows;
    if (height < kMinColorBarRows)
        return rows;
    const CColorList nearest = NearestCopy(list);
    rows.resize(static_cast<size_t>(height));
    for (int i = 0; i < height; ++i)
        rows[static_cast<size_t>(i)] = nearest.Interpolate(1.0 - static_cast<double>(i) / (height - 1));
    return rows;
}

std::vector<uint32_t> SchemePreviewRowColors(const LightParms& light, int height)
{
    std::vector<uint32_t> rows;
    if (height < kMinColorBarRows)
        return rows;
    const CColorList land = NearestCopy(light.landColors);
    const CColorList sea = NearestCopy(light.seaColors);
    const int half = height / 2;
    rows.resize(static_cast<size_t>(height));
    for (int i = 0; i < half; ++i)
        rows[static_cast<size_t>(i)] = land.Interpolate(1.0 - static_cast<double>(i) / (half - 1));
    for (int i = 0; half + i < height; ++i)
        rows[static_cast<size_t>(half + i)] = sea.Interpolate(1.0 - static_cast<double>(i) / (height - 1));
    return rows;
}

} // namespace kv
