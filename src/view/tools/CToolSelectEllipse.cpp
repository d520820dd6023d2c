#include "view/tools/CToolSelectBase.h"

#include "view/tools/MapEditTools.h"
#include "view/tools/ToolContext.h"

#include <cmath>

namespace kv {

namespace {
constexpr char kBoxStatus[] =
    "Left-Click to start, Left-Click again on opposite corner to end; Shift and Ctrl for more options";
} // namespace

CToolSelectEllipse::CToolSelectEllipse()
    : CToolSelectRectangle({"Ellipse Selection", 2, true, {517, 518, 519}, kBoxStatus})
{
}

bool CToolSelectEllipse::BuildOutline()
{
    if (m_lat1 == kNoCorner)
        return CToolSelectRectangle::BuildOutline();
    const double cLat = (m_lat1 + m_lat2) / 2.0, cLon = (m_lon1 + m_lon2) / 2.0;
    const double hLat = std::abs(m_lat2 - m_lat1) / 2.0, hLon = std::abs(m_lon2 - m_lon1) / 2.0;
    m_outline.resize(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        const double a = static_cast<double>(i) / kPoints * 2.0 * M_PI;
        m_outline[static_cast<std::size_t>(i)] = {cLat + hLat * std::sin(a), cLon + hLon * std::cos(a)};
    }
    return true;
}

std::unique_ptr<MouseTool> MakeSelectEllipse(const ToolCreateArgs&) { return std::make_unique<CToolSelectEllipse>(); }

} // namespace kv
