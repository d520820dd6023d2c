#include "view/tools/MapEditTools.h"
#include "view/tools/ToolImageOverlay.h"

namespace kv {

CToolAltColorPicker::CToolAltColorPicker() : CToolColorPickerBase("Left click to pick a color for conversion") {}

void CToolAltColorPicker::Picked(ToolEvent&, uint32_t colour)
{
    if (AltColorWindow* window = GetAltColorWindow())
        window->AddEntryForColor(colour & 0x00FFFFFFu);
}

std::unique_ptr<MouseTool> MakeAltColorPicker(const ToolCreateArgs&) { return std::make_unique<CToolAltColorPicker>(); }

} // namespace kv
