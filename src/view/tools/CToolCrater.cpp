#include "view/tools/CToolCrater.h"

#include "base/ViewHooks.h"
#include "document/CKVDoc.h"
#include "view/tools/MapEditTools.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {
constexpr int kHintRestart = 16;
constexpr double kDegToRad = M_PI / 180.0;
} // namespace

CToolCrater::CToolCrater(double radius) : m_radius(std::clamp(std::isfinite(radius) ? radius : 0.0, 0.0, kMaxRadius))
{
    SetStatusText("Click left mouse button to place a crater, Ctrl+Drag to change tool size");
}

void CToolCrater::FollowControl(const ToolEvent& event)
{
    if (m_state == kStateSizing && !(event.keyFlags & kToolFlagControl))
        m_state = m_savedState;
}

bool CToolCrater::OnLButtonDown(ToolEvent& event)
{
    FollowControl(event);
    // The crater goes where the click is (while sizing: where the rings are).
    if (m_state != kStateSizing) {
        double lat = 0.0, lon = 0.0;
        if (!PixelToLatLon(event, event.x, event.y, lat, lon))
            return true;
        if (lat != m_latitude || lon != m_longitude) {
            DrawFeedback(event);
            m_latitude = lat;
            m_longitude = lon;
            DrawFeedback(event);
        }
    }
    if (CKVDoc* doc = DocumentOf(event))
        doc->DrawCrater(static_cast<float>(m_latitude), static_cast<float>(m_longitude), static_cast<float>(m_radius));
    UpdateActiveDocViews(kHintRestart);
    return true;
}

bool CToolCrater::OnMouseMove(ToolEvent& event)
{
    FollowControl(event);
    m_lastMove = event;
    double lat = 0.0, lon = 0.0;
    if (!PixelToLatLon(event, event.x, event.y, lat, lon))
        return m_state == kStateSizing;
    DrawFeedback(event);
    if (m_state == kStateSizing) {
        m_radius = std::min(std::fabs(m_anchorLatitude - lat), kMaxRadius);
    } else {
        m_latitude = lat;
        m_longitude = lon;
    }
    DrawFeedback(event);
    return true;
}

bool CToolCrater::OnKeyDown(ToolEvent& event)
{
    if (event.keyCode == kKeyControl && m_state != kStateSizing) {
        double lat = 0.0, lon = 0.0;
        if (PixelToLatLon(event, m_lastMove.x, m_lastMove.y, lat, lon)) {
            m_ctrlEvent = m_lastMove;
            m_anchorLatitude = lat;
            m_anchorLongitude = lon;
            m_savedState = m_state;
            m_state = kStateSizing;
        }
    }
    return false;
}

bool CToolCrater::OnKeyUp(ToolEvent& event)
{
    if (event.keyCode == kKeyControl && m_state == kStateSizing) {
        m_state = m_savedState;
        ToolEvent replay = m_ctrlEvent;
        replay.view = event.view;
        replay.world = event.world;
        replay.canvas = event.canvas;
        replay.window = event.window;
        replay.optionsBar = event.optionsBar;
        // The centre jumps to the mouse: the last move is replayed.
        replay.x = m_lastMove.x;
        replay.y = m_lastMove.y;
        OnMouseMove(replay);
    }
    return false;
}

bool CToolCrater::OnMouseWheel(ToolEvent& event)
{
    const int notches = m_wheel.Take(event.wheelDelta);
    if (notches == 0)
        return true;
    DrawFeedback(event);
    m_radius = std::clamp(m_radius + notches, 0.0, kMaxRadius);
    DrawFeedback(event);
    return true;
}

void CToolCrater::RingPoint(double r, double t, double& latitude, double& longitude) const
{
    const double lat0 = m_latitude * kDegToRad, lon0 = m_longitude * kDegToRad, d = r * kDegToRad;
    const double lat = std::asin(std::clamp(std::sin(lat0) * std::cos(d) + std::cos(lat0) * std::sin(d) * std::cos(t),
                                            -1.0, 1.0));
    const double turn = std::atan2(std::sin(t) * std::sin(d) * std::cos(lat0), std::cos(d) - std::sin(lat0) * std::sin(lat));
    // A floor modulo keeps longitudes within -180..180 across the date line.
    double lon = std::fmod(lon0 - turn + M_PI, 2.0 * M_PI);
    if (lon < 0.0)
        lon += 2.0 * M_PI;
    latitude = lat / kDegToRad;
    longitude = (lon - M_PI) / kDegToRad;
}

void CPlanarCraterTool::RingPoint(double r, double t, double& latitude, double& longitude) const
{
    latitude = m_latitude + r * std::sin(t);
    longitude = m_longitude + r * std::cos(t);
}

bool CToolCrater::DrawFeedback(ToolEvent& event)
{
    std::vector<FeedbackPoint> rings[2];
    const double radii[2] = {m_radius, m_radius / 4.0};
    for (int k = 0; k < 2; ++k) {
        for (int i = 0; i < kRingPoints; ++i) {
            double lat = 0.0, lon = 0.0;
            RingPoint(radii[k], static_cast<double>(i) / kRingPoints * 2.0 * M_PI, lat, lon);
            int x = 0, y = 0;
            if (LatLonToPixel(event, lat, lon, x, y))
                rings[k].push_back({x, y});
        }
        if (!rings[k].empty())
            rings[k].push_back(rings[k].front());
    }
    if ((rings[0].size() > 1 || rings[1].size() > 1) && event.canvas)
        for (const auto& ring : rings)
            if (ring.size() >= 3)
                event.canvas->XorPolyline(ring);
    return true;
}

std::unique_ptr<MouseTool> MakeCraterTool(const ToolCreateArgs& args)
{
    if (args.spherical)
        return std::make_unique<CToolCrater>(args.argument);
    return std::make_unique<CPlanarCraterTool>(args.argument);
}

} // namespace kv
