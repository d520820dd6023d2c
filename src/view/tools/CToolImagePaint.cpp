#include "view/tools/ToolImageOverlay.h"

#include "document/DocumentContext.h"

#include "base/ViewHooks.h"
#include "base/Undo.h"
#include "document/CKVDoc.h"
#include "view/tools/MapEditTools.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

constexpr int kTablePoints = 128;
constexpr int kSkippedTail = 2;

struct UnitCircle {
    double c[kTablePoints], s[kTablePoints];
    UnitCircle()
    {
        for (int i = 0; i < kTablePoints; ++i) {
            c[i] = std::cos(i * M_PI / 63.5);
            s[i] = std::sin(i * M_PI / 63.5);
        }
    }
};

const UnitCircle& Circle()
{
    static const UnitCircle table;
    return table;
}

} // namespace

CToolImagePaint::CToolImagePaint(int size) : m_size(std::clamp(size, kMinSize, kMaxSize))
{
    m_colour = 0xFFFFFFFFu;
    m_name = "Paint Tool on Overlay";
    SetStatusText("Tool erases while left mouse button is down");
    LoadToolCursor(kCursorPaintBrush);
    MakeBrush();
}

void CToolImagePaint::MakeBrush()
{
    m_brush = std::make_unique<ImageBrush>();
    m_brush->SetParameters(m_size, m_size, m_flags, m_colour, 0.5f, 1.0f);
}

bool CToolImagePaint::Activate(ToolEvent& event)
{
    if (ToolHost* host = HostOf(event))
        host->SetKeepImage(true);
    m_lastX = event.x;
    m_lastY = event.y;
    DrawFeedback(event);
    return true;
}

bool CToolImagePaint::Deactivate(ToolEvent& event)
{
    if (ToolHost* host = HostOf(event))
        host->SetKeepImage(false);
    DrawFeedback(event);
    return true;
}

bool CToolImagePaint::OnLButtonDown(ToolEvent& event)
{
    if (m_painting)
        return true;
    if (m_overlay)
        GetUndoList().Add(m_overlay, m_name, 0, 0);
    m_painting = 1;
    m_lastX = event.x;
    m_lastY = event.y;
    Stamp(event);
    return true;
}

bool CToolImagePaint::OnMouseMove(ToolEvent& event)
{
    DrawFeedback(event);
    if (m_painting && (event.x != m_lastX || event.y != m_lastY))
        Stamp(event);
    m_lastX = event.x;
    m_lastY = event.y;
    DrawFeedback(event);
    return true;
}

bool CToolImagePaint::OnLButtonUp(ToolEvent& event)
{
    m_lastX = event.x;
    m_lastY = event.y;
    m_painting = 0;
    return true;
}

bool CToolImagePaint::OnMouseWheel(ToolEvent& event)
{
    const int steps = m_wheel.Take(event.wheelDelta, 2);
    if (steps == 0)
        return true;
    DrawFeedback(event);
    m_size = std::clamp(m_size + steps, kMinSize, kMaxSize);
    MakeBrush();
    DrawFeedback(event);
    return true;
}

bool CToolImagePaint::Stamp(ToolEvent& event)
{
    double lat = 0.0, lon = 0.0;
    if (!PixelToLatLon(event, event.x, event.y, lat, lon))
        return false;
    CKVDoc* doc = DocumentOf(event);
    if (!m_overlay)
        return false;
    m_brush->SetColor(m_colour);
    OverlayStampHint stamped;
    m_brush->StampAt(*m_overlay, lat, lon, doc ? &doc->GetSelection() : nullptr, &stamped);
    if (doc)
        doc->SetModifiedFlag(true);
    // The views redraw only what the stamp wrote.
    if (UpdateActiveDocViews(nullptr, kHintOverlayStamped, &stamped) < 0)
        UpdateActiveDocViews(kHintOverlayStamped);
    return true;
}

bool CToolImagePaint::DrawFeedback(ToolEvent& event)
{
    double lat = 0.0, lon = 0.0;
    SurfMap* world = event.world;
    // Around the last mouse pixel (the view's own drawing events carry no position).
    if (!m_overlay || !world || !PixelToLatLon(event, m_lastX, m_lastY, lat, lon))
        return false;
    int gw = 0, gh = 0;
    world->GetGridDims(gw, gh);
    const int ow = std::max(1, m_overlay->width), oh = std::max(1, m_overlay->height);
    const double hx = (m_overlay->east - m_overlay->west) * (m_size / 2) / 360.0 * (static_cast<double>(gw) / ow);
    const double hy = (m_overlay->north - m_overlay->south) * (m_size / 2) / 180.0 * (static_cast<double>(gh) / oh);
    const int mw = gw / 2, mh = gh / 2;
    if (mw < 1 || mh < 1)
        return false;
    const int column = static_cast<int>(mw + mw * lon / 180.0);
    const int row = static_cast<int>(mh + mh * lat / 90.0);
    std::vector<FeedbackPoint> points;
    points.reserve(kTablePoints);
    const UnitCircle& table = Circle();
    for (int i = 0; i < kTablePoints; ++i) {
        const int c = static_cast<int>(table.c[i] * hx + 0.5) + column;
        const int r = static_cast<int>(table.s[i] * hy + 0.5) + row;
        const double plat = static_cast<double>(r - mh) / mh * 90.0;
        const double plon = static_cast<double>(c - mw) / mw * 180.0;
        int x = 0, y = 0;
        if (plat >= -90.0 && plat <= 90.0 && plon >= -180.0 && plon <= 180.0 && LatLonToPixel(event, plat, plon, x, y))
            points.push_back({x, y});
    }
    if (points.size() > kSkippedTail && event.canvas) {
        points.resize(points.size() - kSkippedTail);
        event.canvas->XorPolyline(points);
    }
    return false;
}

std::unique_ptr<MouseTool> MakeImagePaint(const ToolCreateArgs& args) { return std::make_unique<CToolImagePaint>(args.size); }

} // namespace kv
