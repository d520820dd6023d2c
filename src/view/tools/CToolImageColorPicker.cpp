#include "base/MessageService.h"
#include "view/tools/MapEditTools.h"
#include "view/tools/ToolImageOverlay.h"

namespace kv {

CToolImageColorPicker::CToolImageColorPicker()
    : CToolSelectBase({"", 4, true, {kCursorPicker, kCursorPicker, kCursorPicker},
                       "Left click to pick an overlay color for the selection"})
{
}

bool CToolImageColorPicker::Activate(ToolEvent&)
{
    LoadToolCursor(kCursorPicker);
    return true;
}

bool CToolImageColorPicker::OnLButtonDown(ToolEvent& event)
{
    uint32_t colour = 0;
    if (!PickOverlayColour(event, colour))
        return true;
    if ((colour >> 24) == 0) {
        ShowMessage(kTransparentPickMessage);
        return true;
    }
    if (event.view) {
        event.view->SetDrawingColour(colour);
        event.view->SyncToolValues();
    }
    return true;
}

std::unique_ptr<MouseTool> MakeImageColorPicker(const ToolCreateArgs&)
{
    return std::make_unique<CToolImageColorPicker>();
}

} // namespace kv
