#include "view/tools/ToolPaint.h"

#include "base/DisplayUnits.h"
#include "view/ViewInput.h"
#include "view/tools/FeedbackCanvas.h"
#include "view/tools/ToolFactory.h"
#include "world/SurfMap.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace kv {

namespace {

constexpr int kOutlinePoints = 128;
constexpr PaintToolRow kNoRow = {0, kChannelLandOffset, 1, PaintUnit::None, PaintPick::None};
constexpr int kPaintType = brush::kBiasData | brush::kFalloff | brush::kWrapColumns;

const PaintToolRow& RowOf(int code)
{
    const PaintToolRow* row = FindPaintTool(code & 0xFFF);
    return row ? *row : kNoRow;
}

} // namespace

ToolPaint::ToolPaint(const ToolCreateArgs& args) : MouseTool(args.code, args.window), m_row(RowOf(args.code))
{
    SetStatusText(kStatusText);
    LoadToolCursor(kCursorPaintBrush);
    m_settings.width = m_settings.height = std::clamp(args.size, brush::kMinSize, brush::kMaxSize);
    m_settings.type = kPaintType;
    m_settings.SetMode(m_row.direction);
    m_brush.SetWholeValues(m_row.channel == kChannelClimate);
    m_brush.SetSettings(m_settings);
}

ToolPaint::~ToolPaint() = default;

void ToolPaint::Remember(const ToolEvent& event)
{
    m_lastX = event.x;
    m_lastY = event.y;
    if (event.view)
        m_view = event.view;
}

void ToolPaint::FollowControl(const ToolEvent& event)
{
    if (m_state == kResizing && !(event.keyFlags & kToolFlagControl))
        m_state = m_savedState;
}

void ToolPaint::ToggleOutline()
{
    if (m_view)
        m_view->ToggleToolFeedback();
}

void ToolPaint::SetSize(int width, int height)
{
    m_settings.width = std::clamp(width, brush::kMinSize, brush::kMaxSize);
    m_settings.height = std::clamp(height, brush::kMinSize, brush::kMaxSize);
    m_brush.SetSettings(m_settings);
}

bool ToolPaint::Activate(ToolEvent& event)
{
    m_view = event.view;
    m_bar = event.optionsBar;
    if (m_view) {
        m_view->SetPainting(true);
        // The tool paints the view's amount of its channel.
        m_settings.value = m_view->AmountFor(GetId());
        m_brush.SetSettings(m_settings);
        m_lastX = m_view->Cursor().x;
        m_lastY = m_view->Cursor().y;
    }
    ToggleOutline();
    if (m_bar) {
        m_panel = m_bar->CreatePaintbrushPanel(*this);
        m_bar->SetCaption(kPanelCaption);
    }
    UpdatePanel();
    return true;
}

bool ToolPaint::Deactivate(ToolEvent& event)
{
    (void)event;
    ReadPanel();
    m_state = kIdle;
    if (m_view)
        m_view->SetPainting(false);
    ToggleOutline();
    m_panel.reset();
    return true;
}

bool ToolPaint::Suspend(ToolEvent&)
{
    // The stroke ends with the button; a temporary tool takes the mouse meanwhile.
    m_state = kIdle;
    m_savedState = kIdle;
    ToggleOutline();
    return true;
}

bool ToolPaint::Resume(ToolEvent& event)
{
    Remember(event);
    ToggleOutline();
    return true;
}

bool ToolPaint::UpdatePanel()
{
    if (!m_panel)
        return true;
    PaintbrushFields f;
    f.width = m_settings.width;
    f.height = m_settings.height;
    f.value = PaintValueToDisplay(m_row.unit, m_settings.value, IsMetric());
    f.autoRotate = m_settings.autoRotate;
    f.operation = m_row.direction;
    m_panel->Show(f);
    return true;
}

bool ToolPaint::ReadPanel()
{
    if (!m_panel)
        return true;
    PaintbrushFields f;
    if (!m_panel->Read(f))
        return false;
    const float value = PaintValueFromDisplay(m_row.unit, f.value, IsMetric());
    if (!std::isfinite(value))
        return false;
    m_settings.width = std::clamp(f.width, brush::kMinSize, brush::kMaxSize);
    m_settings.height = std::clamp(f.height, brush::kMinSize, brush::kMaxSize);
    m_settings.value = value;
    m_settings.autoRotate = f.autoRotate;
    m_settings.SetMode(f.operation);
    m_brush.SetSettings(m_settings);
    return true;
}

void ToolPaint::TakeSettings(const BrushSettings& settings)
{
    ToggleOutline();
    m_settings = settings;
    m_brush.SetSettings(m_settings);
    ToggleOutline();
    UpdatePanel();
}

bool ToolPaint::GetToolInfo(ToolInfo& info)
{
    info = ToolInfo();
    info.first = 0;
    info.second = 7;
    info.name = "Paint Tool";
    info.toolTip = "Paint\nPaint";
    info.description = "Paints an area on the map according to the current brush settings";
    info.valueCaption = "Paint Value";
    return true;
}

void ToolPaint::SetAmount(ToolEvent& event, float value)
{
    if (event.view)
        event.view->SetToolAmount(GetId(), value);
}

bool ToolPaint::ApplyAt(ToolEvent& event)
{
    ViewInput* view = event.view ? event.view : m_view;
    return view && view->PaintStroke(GetId(), event.x, event.y, event.message == kToolMsgLButtonDown, m_brush);
}

bool ToolPaint::OnLButtonDown(ToolEvent& event)
{
    FollowControl(event);
    if (m_state != kIdle)
        return true;
    // A panel holding no number starts no stroke (nothing painted, no undo step).
    if (!ReadPanel())
        return true;
    m_state = kPainting;
    SetAmount(event, m_settings.value);
    Remember(event);
    ApplyAt(event);
    return true;
}

bool ToolPaint::OnLButtonUp(ToolEvent& event)
{
    FollowControl(event);
    Remember(event);
    if (m_state == kResizing)
        m_savedState = kIdle;
    else
        m_state = kIdle;
    return true;
}

bool ToolPaint::OnMouseMove(ToolEvent& event)
{
    FollowControl(event);
    m_lastEvent = event;
    if (event.view)
        m_view = event.view;
    if (m_state != kResizing) {
        // Painted first, while the outline is up: the view's patch redraw keeps it consistent.
        if (m_state == kPainting && (event.x != m_lastX || event.y != m_lastY))
            ApplyAt(event);
        ToggleOutline();
        Remember(event);
        ToggleOutline();
        return true;
    }
    double latitude, longitude;
    SurfMap* world = m_view ? m_view->World() : nullptr;
    if (!m_view || !world || !m_view->PixelToLatLon(event.x, event.y, latitude, longitude))
        return true; // off the map: the size stays
    int w = 0, h = 0;
    world->GetGridSize(w, h);
    const double size = std::trunc(std::fabs(m_anchorLatitude - latitude) * h / 90.0);
    const int s = static_cast<int>(std::clamp(size, double(brush::kMinSize), double(brush::kMaxSize)));
    ToggleOutline();
    SetSize(s, s);
    ToggleOutline();
    UpdatePanel();
    return true;
}

bool ToolPaint::OnKeyDown(ToolEvent& event)
{
    if (event.keyCode != kKeyControl || m_state == kResizing || !m_view)
        return false;
    if (!m_view->PixelToLatLon(m_lastX, m_lastY, m_anchorLatitude, m_anchorLongitude))
        return false;
    m_resizeEvent = event;
    m_savedState = m_state;
    m_state = kResizing;
    return false;
}

bool ToolPaint::OnKeyUp(ToolEvent& event)
{
    if (event.keyCode != kKeyControl || m_state != kResizing)
        return false;
    m_state = m_savedState;
    ToolEvent replay = m_lastEvent;
    replay.message = kToolMsgMouseMove;
    if (!replay.view)
        replay.view = m_view;
    OnMouseMove(replay);
    return false;
}

bool ToolPaint::OnMouseWheel(ToolEvent& event)
{
    if (!ReadPanel())
        return true;
    m_wheelRest += event.wheelDelta * 2;
    const int steps = m_wheelRest / kWheelNotch;
    m_wheelRest -= steps * kWheelNotch;
    ToggleOutline();
    SetSize(m_settings.width + steps, m_settings.height + steps);
    ToggleOutline();
    UpdatePanel();
    return true;
}

bool ToolPaint::DrawFeedback(ToolEvent& event)
{
    ViewInput* view = event.view ? event.view : m_view;
    SurfMap* world = view ? view->World() : nullptr;
    if (!event.canvas || !world)
        return false;
    double latitude, longitude;
    if (!view->PixelToLatLon(m_lastX, m_lastY, latitude, longitude))
        return false;
    int gw = 0, gh = 0;
    world->GetGridSize(gw, gh);
    if (gw <= 0 || gh <= 0)
        return false;
    const double halfW = gw / 2.0, halfH = gh / 2.0;
    const int hw = (m_settings.width >> 1) + 1, hh = (m_settings.height >> 1) + 1;
    const int c0 = static_cast<int>(halfW + halfW * longitude / 180.0);
    const int r0 = static_cast<int>(halfH + halfH * latitude / 90.0);
    std::vector<std::pair<int, int>> points;
    points.reserve(kOutlinePoints);
    for (int k = 0; k < kOutlinePoints; ++k) {
        const double a = k * 2.0 * std::numbers::pi / (kOutlinePoints - 1);
        const int col = static_cast<int>(hw * std::cos(a) + 0.5) + c0;
        const int row = static_cast<int>(hh * std::sin(a) + 0.5) + r0;
        const double lat = (row - halfH) / halfH * 90.0, lon = (col - halfW) / halfW * 180.0;
        int x, y;
        if (lat < -90.0 || lat > 90.0 || lon < -180.0 || lon > 180.0 || !view->LatLonToPixel(lat, lon, x, y))
            continue;
        points.emplace_back(x, y);
    }
    if (points.size() <= 2)
        return true;
    for (std::size_t i = 0; i + 3 < points.size(); ++i)
        event.canvas->XorLine(points[i].first, points[i].second, points[i + 1].first, points[i + 1].second);
    return true;
}

} // namespace kv
