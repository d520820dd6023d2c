#include "view/tools/CToolSelectBase.h"

#include "document/DocumentServices.h"

namespace kv {

CToolSelectWand::CToolSelectWand()
    : CToolSelectBase({"Wand Selection", 1, true, {543, 544, 545},
                       "Left-Click to select an area; Shift and Ctrl for more options"})
{
}

// The wands select nothing themselves: the click shows the wait cursor for a moment.
bool CToolSelectWand::OnLButtonDown(ToolEvent&)
{
    WaitCursorScope wait;
    return true;
}

} // namespace kv
