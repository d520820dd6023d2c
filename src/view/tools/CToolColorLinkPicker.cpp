#include "view/tools/MapEditTools.h"
#include "view/tools/ToolImageOverlay.h"

namespace kv {

CToolColorLinkPicker::CToolColorLinkPicker() : CToolColorPickerBase("Left click to pick a color for link information") {}

void CToolColorLinkPicker::Picked(ToolEvent&, uint32_t colour)
{
    if (ColorLinkColorTarget* target = GetColorLinkColorTarget())
        target->SetColor(colour & 0x00FFFFFFu);
}

std::unique_ptr<MouseTool> MakeColorLinkPicker(const ToolCreateArgs&) { return std::make_unique<CToolColorLinkPicker>(); }

} // namespace kv
