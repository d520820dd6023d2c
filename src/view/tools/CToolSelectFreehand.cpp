#include "view/tools/CToolSelectBase.h"

#include "view/tools/MapEditTools.h"
#include "view/tools/ToolContext.h"

namespace kv {


CToolSelectFreehand::CToolSelectFreehand()
    : CToolSelectBase({"Freehand Selection", 4, true, {524, 525, 526},
                       "Left-Click to start, move mouse to draw, Left-Click again to end; Shift and Ctrl for more "
                       "options"})
{
}

bool CToolSelectFreehand::OnLButtonDown(ToolEvent& event)
{
    if (!m_drawing)
        return BeginOutline(event);
    return CommitOutline(event);
}

bool CToolSelectFreehand::OnMouseMove(ToolEvent& event)
{
    if (!m_drawing)
        return false;
    return AddOutlinePoint(event, true);
}

std::unique_ptr<MouseTool> MakeSelectFreehand(const ToolCreateArgs&) { return std::make_unique<CToolSelectFreehand>(); }

} // namespace kv
