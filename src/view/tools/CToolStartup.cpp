#include "view/tools/CToolStartup.h"

#include "view/ViewInput.h"

namespace kv {

CToolStartup::~CToolStartup()
{
    if (ToolWindow* window = GetWindow())
        window->ApplyCursor(kCursorArrow);
}

int CToolStartup::HitTest(ToolHost& host, int x, int y)
{
    StartupPage page;
    if (host.ReadStartupPage(host.GetStartupLine(), page) != 0)
        return kNone;
    if (page.next.Contains(x, y))
        return kNext;
    if (page.previous.Contains(x, y))
        return kPrevious;
    if (page.close.Contains(x, y))
        return kClose;
    return kNone;
}

bool CToolStartup::OnMouseMove(ToolEvent& event)
{
    if (!event.view)
        return false;
    static const int kCursors[] = {kCursorArrow, kCursorStartupPrevious, kCursorStartupNext, kCursorStartupClose};
    ChangeCursor(kCursors[HitTest(event.view->Host(), event.x, event.y)]);
    return true;
}

bool CToolStartup::OnLButtonUp(ToolEvent& event)
{
    if (!event.view)
        return false;
    ToolHost& host = event.view->Host();
    const int line = host.GetStartupLine();
    switch (HitTest(host, event.x, event.y)) {
    case kPrevious:
        if (line > 0)
            host.SetStartupLine(line - 1);
        return true;
    case kNext: {
        StartupPage page;
        if (host.ReadStartupPage(line + 1, page) == 0)
            host.SetStartupLine(line + 1);
        return true;
    }
    case kClose:
        host.ClearStartupFile();
        return true;
    default:
        return false;
    }
}

} // namespace kv
