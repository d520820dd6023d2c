#include "view/tools/CPanTool.h"

#include "base/ViewHooks.h"
#include "projection/ProjectionParms.h"
#include "view/ViewInput.h"

namespace kv {

CPanTool::CPanTool()
{
    SetStatusText(kStatusText);
    LoadToolCursor(kCursorHandIdle);
}

int CPanTool::CursorForState() const
{
    if (m_shift)
        return m_dragging ? kCursorHandShiftDrag : kCursorHandShiftIdle;
    return m_dragging ? kCursorHandDrag : kCursorHandIdle;
}

void CPanTool::FollowKeys(const ToolEvent& event)
{
    const uint8_t shift = (event.keyFlags & kToolFlagShift) != 0 ? 1 : 0;
    m_ctrl = (event.keyFlags & kToolFlagControl) != 0 ? 1 : 0;
    if (shift != m_shift) {
        m_shift = shift;
        ChangeCursor(CursorForState());
    }
}

bool CPanTool::OnLButtonDown(ToolEvent& event)
{
    FollowKeys(event);
    m_pressX = event.x;
    m_pressY = event.y;
    if (event.view) {
        if (const ProjectionParms* p = event.view->Host().ViewProjection()) {
            p->GetOffset(m_offsetX, m_offsetY);
            p->GetCenter(m_centerLatitude, m_centerLongitude);
        }
    }
    m_dragging = 1;
    ChangeCursor(CursorForState());
    if (event.view) {
        event.view->Host().CaptureMouse(true);
        event.view->Host().PushViewHistory();
    }
    return true;
}

bool CPanTool::OnMouseMove(ToolEvent& event)
{
    FollowKeys(event);
    if (!m_dragging)
        return false;
    TwoPtHint hint;
    hint.px1 = m_pressX;
    hint.py1 = m_pressY;
    hint.px2 = event.x;
    hint.py2 = event.y;
    if (!m_shift) {
        hint.x1 = m_offsetY;
        hint.y1 = m_offsetX;
        SendViewHint(5, hint);
        return true;
    }
    hint.x1 = m_ctrl ? 0.0 : m_centerLatitude;
    hint.y1 = m_centerLongitude;
    SendViewHint(9, hint);
    return false;
}

bool CPanTool::OnLButtonUp(ToolEvent& event)
{
    FollowKeys(event);
    m_dragging = 0;
    ChangeCursor(CursorForState());
    if (event.view)
        event.view->Host().CaptureMouse(false);
    return false;
}

bool CPanTool::OnKeyDown(ToolEvent& event)
{
    if (event.keyCode == kKeyShift) {
        if (!m_shift) {
            m_shift = 1;
            ChangeCursor(CursorForState());
        }
        return true;
    }
    if (event.keyCode == kKeyControl) {
        m_ctrl = 1;
        return true;
    }
    return false;
}

bool CPanTool::OnKeyUp(ToolEvent& event)
{
    if (event.keyCode == kKeyShift) {
        if (m_shift) {
            m_shift = 0;
            ChangeCursor(CursorForState());
        }
        return true;
    }
    if (event.keyCode == kKeyControl) {
        m_ctrl = 0;
        return true;
    }
    return false;
}

} // namespace kv
