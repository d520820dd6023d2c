#include "view/tools/CToolZoomWin.h"

#include "base/ViewHooks.h"

namespace kv {

CToolZoomWin::CToolZoomWin() { SetStatusText(kStatusText); }

bool CToolZoomWin::End(ToolEvent& event)
{
    if (m_state != kDragging)
        return false;
    StopDragging(event);
    m_state = kIdle;
    const int dx = m_x2 - m_x1, dy = m_y2 - m_y1;
    TwoPtHint hint;
    if (dx * dx + dy * dy > kClickDistanceSquared) {
        hint.px1 = m_x1;
        hint.py1 = m_y1;
        hint.px2 = m_x2;
        hint.py2 = m_y2;
        SendViewHint(4, hint);
        return true;
    }
    const double factor = (event.keyFlags & kToolFlagShift) ? 2.0 : 0.5;
    hint.x1 = hint.y1 = factor;
    hint.px1 = hint.px2 = m_x1;
    hint.py1 = hint.py2 = m_y1;
    SendViewHint(7, hint);
    return true;
}

} // namespace kv
