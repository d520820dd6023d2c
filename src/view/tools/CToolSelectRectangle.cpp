#include "view/tools/CToolSelectBase.h"

#include "view/tools/MapEditTools.h"
#include "view/tools/ToolContext.h"

namespace kv {


namespace {
constexpr char kBoxStatus[] =
    "Left-Click to start, Left-Click again on opposite corner to end; Shift and Ctrl for more options";
} // namespace

CToolSelectRectangle::CToolSelectRectangle()
    : CToolSelectBase({"Rectangle Selection", 64, true, {535, 536, 537}, kBoxStatus})
{
}

bool CToolSelectRectangle::OnLButtonDown(ToolEvent& event)
{
    double lat = 0.0, lon = 0.0;
    const bool onMap = PixelToLatLon(event, event.x, event.y, lat, lon);
    if (!m_drawing) {
        if (!onMap)
            return false;
        m_lat1 = m_lat2 = lat;
        m_lon1 = m_lon2 = lon;
        return BeginOutline(event);
    }
    // The click is the opposite corner: the shown box goes, the outline is the final one.
    DrawFeedback(event);
    if (onMap) {
        m_lat2 = lat;
        m_lon2 = lon;
    }
    BuildOutline();
    m_lat1 = m_lon1 = m_lat2 = m_lon2 = kNoCorner;
    return CommitOutline(event);
}

bool CToolSelectRectangle::OnMouseMove(ToolEvent& event)
{
    if (!m_drawing)
        return false;
    double lat = 0.0, lon = 0.0;
    if (!PixelToLatLon(event, event.x, event.y, lat, lon))
        return false;
    DrawFeedback(event);
    m_lat2 = lat;
    m_lon2 = lon;
    DrawFeedback(event);
    return true;
}

bool CToolSelectRectangle::BuildOutline()
{
    if (m_lat1 == kNoCorner) {
        // After the final click: nothing more to draw (the fill keeps its outline).
        if (!m_drawing)
            m_outline.clear();
        return true;
    }
    m_outline.assign({{m_lat1, m_lon1}, {m_lat1, m_lon2}, {m_lat2, m_lon2}, {m_lat2, m_lon1}});
    return true;
}

std::unique_ptr<MouseTool> MakeSelectRectangle(const ToolCreateArgs&)
{
    return std::make_unique<CToolSelectRectangle>();
}

} // namespace kv
