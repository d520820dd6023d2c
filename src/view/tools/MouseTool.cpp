#include "view/tools/MouseTool.h"

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

} // namespace kv
