#include "view/tools/MouseTool.h"

#include "base/ViewHooks.h"
#include "document/DocumentContext.h"
#include "view/ViewInput.h"

#include <cstdlib>

namespace kv {

bool MouseTool::SetCursor(ToolEvent& event)
{
    ToolWindow* window = event.window ? event.window : m_window;
    if (window)
        window->ApplyCursor(m_cursor);
    return true;
}

int MouseTool::SetId(int id)
{
    const int old = m_id;
    m_id = id;
    return old;
}

int MouseTool::ChangeCursor(int cursorId)
{
    const int old = m_cursor;
    m_cursor = cursorId;
    ToolEvent event;
    SetCursor(event);
    return old;
}

void MouseTool::LoadToolCursor(int resourceId)
{
    m_cursor = resourceId;
    ToolEvent event;
    SetCursor(event);
}

bool MouseTool::WheelZoom(ToolEvent& event)
{
    const int delta = event.wheelDelta;
    if (delta == 0)
        return false;
    // Zoom Prior comes back to the view before the turn.
    if (event.view)
        event.view->Host().PushViewHistory();
    const double turn = 1.5 * std::abs(delta) / kWheelNotch;
    TwoPtHint hint(delta > 0 ? 1.0 / turn : turn, 0.0, 0.0, 0.0);
    SendViewHint(11, hint);
    return true;
}

int MouseTool::SendViewHint(int hint, const TwoPtHint& points)
{
    return UpdateActiveDocViews(nullptr, hint, &points);
}

} // namespace kv
