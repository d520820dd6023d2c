#include "view/tools/CToolSelectBase.h"

#include "view/tools/MapEditTools.h"
#include "view/tools/ToolContext.h"

namespace kv {


CToolSelectPolygon::CToolSelectPolygon()
    : CToolSelectBase({"Polygon Selection", 32, true, {532, 533, 534},
                       "Left-Click to start, Left Click for each point, Triple-Click to end; Shift and Ctrl for more "
                       "options"})
{
}

bool CToolSelectPolygon::OnLButtonDown(ToolEvent& event)
{
    if (!m_drawing) {
        if (!BeginOutline(event))
            return false;
        DrawFeedback(event);
        m_outline.push_back(m_outline.front());
        DrawFeedback(event);
        return true;
    }
    GeoPoint point;
    if (PixelToLatLon(event, event.x, event.y, point.latitude, point.longitude) && !m_outline.empty()) {
        DrawFeedback(event);
        m_outline.back() = point;
        DrawFeedback(event);
    }
    if (m_outline.size() > 1 && LastPixelIs(event))
        return CommitOutline(event);
    return AddOutlinePoint(event, true);
}

bool CToolSelectPolygon::OnMouseMove(ToolEvent& event)
{
    if (!m_drawing)
        return false;
    GeoPoint point;
    if (!PixelToLatLon(event, event.x, event.y, point.latitude, point.longitude))
        return false;
    DrawFeedback(event);
    if (m_outline.size() >= 2)
        m_outline.back() = point;
    DrawFeedback(event);
    return true;
}

bool CToolSelectPolygon::RemoveLastPoint()
{
    if (m_outline.size() < 2)
        return false;
    m_outline.erase(m_outline.end() - 2);
    return true;
}

std::unique_ptr<MouseTool> MakeSelectPolygon(const ToolCreateArgs&) { return std::make_unique<CToolSelectPolygon>(); }

} // namespace kv
