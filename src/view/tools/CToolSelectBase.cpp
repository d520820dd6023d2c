#include "view/tools/CToolSelectBase.h"

#include "base/ViewHooks.h"
#include "document/CKVDoc.h"
#include "document/DocumentServices.h"
#include "view/tools/ToolContext.h"

#include <algorithm>

namespace kv {

namespace {

constexpr int kHintSelectionChanged8 = 8;
constexpr int kRepeatOffset = 10000;
constexpr char kPanelCaption[] = "Selection Options";

} // namespace

int OutlineStride(int n, int steps)
{
    if (steps < 1 || n < 1)
        return 1;
    const int limit = kFeedbackSampleBudget / steps;
    if (limit >= n)
        return 1;
    if (limit < 1)
        return std::max(2, n);
    // The smallest k >= 2 with n / k <= limit.
    return std::max(2, n / (limit + 1) + 1);
}

CToolSelectBase::CToolSelectBase(const Style& style)
    : m_cursors{style.cursors[0], style.cursors[1], style.cursors[2], kCursorSelectIntersect, 351},
      m_name(style.name), m_steps(style.steps), m_closed(style.closed)
{
    SetStatusText(style.status);
    LoadToolCursor(m_cursors[0]);
}

CToolSelectBase::~CToolSelectBase() = default;

bool CToolSelectBase::Activate(ToolEvent& event)
{
    if (event.optionsBar) {
        m_panel = event.optionsBar->CreateSelectPanel(m_panelOption, *this);
        LoadPanel();
        event.optionsBar->SetCaption(kPanelCaption);
    }
    return true;
}

bool CToolSelectBase::Deactivate(ToolEvent& event)
{
    if (m_drawing)
        CaptureMouse(event, false);
    m_panel.reset();
    return true;
}

bool CToolSelectBase::LoadPanel()
{
    if (!m_panel)
        return false;
    m_panel->Load(m_values);
    return true;
}

bool CToolSelectBase::StorePanel()
{
    if (!m_panel)
        return true;
    SelectPanelValues values = m_values;
    if (!m_panel->Store(values))
        return false;
    m_values = values;
    return true;
}

bool CToolSelectBase::OnKeyDown(ToolEvent& event)
{
    if (m_drawing) {
        switch (event.keyCode) {
        case kKeyEnter: CommitOutline(event); return true;
        case kKeyEscape: CancelOutline(event); return true;
        case kKeyDelete:
            DrawFeedback(event);
            RemoveLastPoint();
            DrawFeedback(event);
            return true;
        default: break;
        }
    }
    UpdateModeFromKeys(event);
    return false;
}

bool CToolSelectBase::OnKeyUp(ToolEvent& event)
{
    UpdateModeFromKeys(event);
    return false;
}

int CToolSelectBase::ModeCursor() const { return m_cursors[std::clamp(m_mode, 0, 3)]; }

void CToolSelectBase::UpdateModeFromKeys(ToolEvent&)
{
    const InputState& keys = GetInputState();
    const bool shift = keys.IsShiftDown(), ctrl = keys.IsCtrlDown();
    m_mode = shift && ctrl ? 3 : shift ? 1 : ctrl ? 2 : 0;
    ChangeCursor(ModeCursor());
}

void CToolSelectBase::StartOutline(const GeoPoint& point)
{
    m_outline.clear();
    m_outline.reserve(kOutlineGrowStep);
    m_outline.push_back(point);
}

bool CToolSelectBase::BeginOutline(ToolEvent& event)
{
    m_lastX = event.x - kRepeatOffset;
    m_lastY = event.y - kRepeatOffset;
    GeoPoint point;
    if (!PixelToLatLon(event, event.x, event.y, point.latitude, point.longitude))
        return false;
    StartOutline(point);
    m_drawing = 1;
    CaptureMouse(event, true);
    DrawFeedback(event);
    return true;
}

bool CToolSelectBase::CommitOutline(ToolEvent& event)
{
    CaptureMouse(event, false);
    StorePanel();
    UpdateModeFromKeys(event);
    if (m_outline.size() < 2)
        return false;
    if (CKVDoc* doc = DocumentOf(event)) {
        doc->RecordSelectionUndo(m_name);
        doc->GetSelection().FillPolygons(m_outline, std::clamp(m_intensity, 0.0f, 1.0f), m_mode,
                                         kFillStepsPerSegment);
    }
    m_drawing = 0;
    DrawFeedback(event);
    UpdateActiveDocViews(kHintSelectionChanged8);
    FreeOutline();
    return true;
}

bool CToolSelectBase::AddOutlinePoint(ToolEvent& event, bool checkRepeat)
{
    if (checkRepeat && LastPixelIs(event)) {
        if (m_outline.size() >= 2)
            return CommitOutline(event);
        return CancelOutline(event);
    }
    TakePixel(event);
    GeoPoint point;
    if (!PixelToLatLon(event, event.x, event.y, point.latitude, point.longitude))
        return false;
    DrawFeedback(event);
    m_outline.push_back(point);
    DrawFeedback(event);
    return true;
}

bool CToolSelectBase::CancelOutline(ToolEvent& event)
{
    DrawFeedback(event);
    FreeOutline();
    m_drawing = 0;
    CaptureMouse(event, false);
    return true;
}

bool CToolSelectBase::RemoveLastPoint()
{
    if (m_outline.empty())
        return false;
    m_outline.pop_back();
    return true;
}

bool CToolSelectBase::MoveLastPoint(ToolEvent& event)
{
    GeoPoint point;
    if (m_outline.empty() || !PixelToLatLon(event, event.x, event.y, point.latitude, point.longitude))
        return false;
    DrawFeedback(event);
    m_outline.back() = point;
    DrawFeedback(event);
    return true;
}

bool CToolSelectBase::DrawFeedback(ToolEvent& event)
{
    m_lastFeedback.clear();
    BuildOutline();
    const int n = static_cast<int>(m_outline.size());
    if (n < 2)
        return true;
    const int s = std::max(1, m_steps);
    const int k = OutlineStride(n, s);
    auto sample = [&](const GeoPoint& a, const GeoPoint& b) {
        for (int q = 0; q < s; ++q) {
            const double t = s > 1 ? static_cast<double>(q) / (s - 1) : 0.0;
            const double lat = a.latitude + t * (b.latitude - a.latitude);
            const double lon = a.longitude + t * (b.longitude - a.longitude);
            int x = 0, y = 0;
            if (lat < -90.0 || lat > 90.0 || lon < -180.0 || lon > 180.0 || !LatLonToPixel(event, lat, lon, x, y))
                continue;
            if (!m_lastFeedback.empty() && m_lastFeedback.back().x == x && m_lastFeedback.back().y == y)
                continue;
            m_lastFeedback.push_back({x, y});
        }
    };
    if (m_closed) {
        for (long long i = n; i - n < n; i += k)
            sample(m_outline[static_cast<std::size_t>((i - k) % n)], m_outline[static_cast<std::size_t>(i % n)]);
    } else {
        for (int j = 0; j + k < n; j += k)
            sample(m_outline[static_cast<std::size_t>(j)], m_outline[static_cast<std::size_t>(j + k)]);
    }
    if (m_lastFeedback.size() > 1 && event.canvas)
        event.canvas->XorPolyline(m_lastFeedback);
    return true;
}

} // namespace kv
