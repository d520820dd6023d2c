#include "view/tools/CToolZoomPW2.h"

#include "base/ViewHooks.h"
#include "view/ViewInput.h"
#include "view/tools/FeedbackCanvas.h"

#include <algorithm>

namespace kv {

namespace {

void XorFeedback(ToolEvent& event)
{
    if (event.view)
        event.view->Host().XorToolFeedback();
}

} // namespace

CToolZoomPW2::CToolZoomPW2()
{
    SetStatusText(kStatusText);
    LoadToolCursor(kCursorZoom);
}

bool CToolZoomPW2::OnLButtonDown(ToolEvent& event)
{
    return m_state == kDragging ? End(event) : Begin(event);
}

bool CToolZoomPW2::Begin(ToolEvent& event)
{
    m_state = kDragging;
    m_x1 = m_x2 = event.x;
    m_y1 = m_y2 = event.y;
    XorFeedback(event);
    if (event.view) {
        event.view->Host().CaptureMouse(true);
        event.view->Host().PushViewHistory();
    }
    return true;
}

bool CToolZoomPW2::OnMouseMove(ToolEvent& event)
{
    if (m_state != kDragging)
        return false;
    XorFeedback(event);
    m_x2 = event.x;
    m_y2 = event.y;
    XorFeedback(event);
    return true;
}

bool CToolZoomPW2::OnKeyDown(ToolEvent& event)
{
    // Enter and Esc end or cancel a marquee in progress; without one they pass on (an
    // Enter would otherwise zoom to the last marquee again).
    if (m_state != kDragging)
        return false;
    if (event.keyCode == kKeyEnter)
        return End(event);
    if (event.keyCode == kKeyEscape)
        return Cancel(event);
    return false;
}

void CToolZoomPW2::StopDragging(ToolEvent& event)
{
    XorFeedback(event);
    if (event.view)
        event.view->Host().CaptureMouse(false);
}

bool CToolZoomPW2::Cancel(ToolEvent& event)
{
    if (m_state == kDragging)
        StopDragging(event);
    m_state = kIdle;
    return true;
}

bool CToolZoomPW2::End(ToolEvent& event)
{
    if (m_state == kDragging)
        StopDragging(event);
    m_state = kIdle;
    TwoPtHint hint;
    hint.px1 = m_x1;
    hint.py1 = m_y1;
    hint.px2 = m_x2;
    hint.py2 = m_y2;
    SendViewHint(4, hint);
    return true;
}

bool CToolZoomPW2::DrawFeedback(ToolEvent& event)
{
    if (m_state == kDragging && event.canvas)
        event.canvas->FocusRectangle(std::min(m_x1, m_x2), std::min(m_y1, m_y2), std::max(m_x1, m_x2),
                                     std::max(m_y1, m_y2));
    return false;
}

} // namespace kv
