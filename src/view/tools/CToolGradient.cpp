#include "view/tools/CToolGradient.h"

#include "base/DisplayUnits.h"
#include "view/tools/MapEditTools.h"
#include "view/tools/ToolContext.h"
#include "world/GradientRenderers.h"
#include "world/SurfMap.h"

#include <cmath>

namespace kv {

namespace {
constexpr char kPanelCaption[] = "Gradient Options";
} // namespace

GradientSettings& SharedGradientSettings()
{
    static GradientSettings settings;
    return settings;
}

int GradientToolChannel(int toolId)
{
    switch (toolId) {
    case 39: return 1;
    case 40: return 6;
    case 41: return 0;
    case 42: return 2;
    case 43: return 3;
    default: return -1;
    }
}

CToolGradient::CToolGradient(int channel) : m_channel(channel) { LoadToolCursor(kCursor); }

bool CToolGradient::Activate(ToolEvent& event)
{
    if (event.optionsBar) {
        m_panel = event.optionsBar->CreateGradientPanel();
        UpdatePanel();
        event.optionsBar->SetCaption(kPanelCaption);
    }
    return true;
}

bool CToolGradient::Deactivate(ToolEvent& event)
{
    if (m_dragging)
        EndDrag(event);
    m_panel.reset();
    return true;
}

bool CToolGradient::UpdatePanel()
{
    if (!m_panel)
        return false;
    const GradientSettings& s = SharedGradientSettings();
    const double scale = IsMetric() ? 1.0 : kFeetPerMetre;
    m_panel->Load({s.start * scale, s.end * scale, s.curve, s.kind, s.operation});
    return true;
}

bool CToolGradient::ReadPanel()
{
    if (!m_panel)
        return true;
    GradientPanelValues v;
    if (!m_panel->Read(v))
        return false;
    GradientSettings& s = SharedGradientSettings();
    const double scale = IsMetric() ? 1.0 : kMetresPerFoot;
    s.start = v.start * scale;
    s.end = v.end * scale;
    s.curve = v.curve;
    s.kind = v.kind;
    s.operation = v.operation;
    return true;
}

bool CToolGradient::OnLButtonDown(ToolEvent& event)
{
    m_dragging = true;
    m_press = event;
    m_last = event;
    DrawFeedback(event);
    CaptureMouse(event, true);
    return true;
}

bool CToolGradient::OnMouseMove(ToolEvent& event)
{
    if (!m_dragging)
        return false;
    DrawFeedback(event);
    m_last = event;
    DrawFeedback(event);
    return true;
}

void CToolGradient::EndDrag(ToolEvent& event)
{
    CaptureMouse(event, false);
    DrawFeedback(event);
    m_dragging = false;
}

bool CToolGradient::OnKeyDown(ToolEvent& event)
{
    if (event.keyCode == kKeyEscape && m_dragging)
        EndDrag(event);
    return true;
}

bool CToolGradient::OnLButtonUp(ToolEvent& event)
{
    if (!m_dragging)
        return false;
    double lat0 = 0.0, lon0 = 0.0, lat1 = 0.0, lon1 = 0.0;
    SurfMap* world = event.world;
    if (!world || !PixelToLatLon(event, m_press.x, m_press.y, lat0, lon0) ||
        !PixelToLatLon(event, event.x, event.y, lat1, lon1)) {
        // A release off the map ends the drag with nothing done.
        EndDrag(event);
        return true;
    }
    CaptureMouse(event, false);
    GradientSetup setup;
    // The positions count even where they fall outside the grid (a pole's row).
    world->LatLonToGrid(lat0, lon0, setup.startX, setup.startY);
    world->LatLonToGrid(lat1, lon1, setup.endX, setup.endY);
    DrawFeedback(event);
    m_last = event;
    DrawFeedback(event);
    if (!ReadPanel()) {
        EndDrag(event);
        return true;
    }
    const GradientSettings& s = SharedGradientSettings();
    setup.curve = s.curve;
    setup.startValue = s.start;
    setup.endValue = s.end;
    setup.operation = s.operation;
    world->NotifyOwner(kStepName, m_channel, -1, -1, -1, -1);
    const int previous = world->defaultChannel;
    world->defaultChannel = m_channel;
    RenderGradient(*world, m_channel, s.kind, setup);
    world->defaultChannel = previous;
    world->RefreshViews();
    DrawFeedback(event);
    m_dragging = false;
    return true;
}

bool CToolGradient::DrawFeedback(ToolEvent& event)
{
    if (!m_dragging || !event.canvas)
        return false;
    const int x0 = m_press.x, y0 = m_press.y, x1 = m_last.x, y1 = m_last.y;
    FeedbackCanvas& canvas = *event.canvas;
    canvas.XorSolidLine(x0, y0, x1, y1, kArrowWidth);
    const double back = std::atan2(static_cast<double>(y0 - y1), static_cast<double>(x0 - x1));
    for (double side : {kArrowAngle, -kArrowAngle}) {
        const int hx = x1 + static_cast<int>(std::lround(kArrowHead * std::cos(back + side)));
        const int hy = y1 + static_cast<int>(std::lround(kArrowHead * std::sin(back + side)));
        canvas.XorSolidLine(x1, y1, hx, hy, kArrowWidth);
    }
    return true;
}

bool CToolGradient::GetToolInfo(ToolInfo& info)
{
    info = ToolInfo{12, 4, "Gradient Tool", "Gradient\nGradient", "Fills the selection with a gradient", "",
                    nullptr, nullptr, ""};
    return true;
}

std::unique_ptr<MouseTool> MakeGradientTool(const ToolCreateArgs& args)
{
    const int channel = GradientToolChannel(args.code & 0xFFF);
    if (channel < 0)
        return nullptr;
    return std::make_unique<CToolGradient>(channel);
}

} // namespace kv
