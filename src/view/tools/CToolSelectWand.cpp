#include "view/tools/CToolSelectBase.h"

#include "view/tools/MapEditTools.h"
#include "view/tools/ToolContext.h"

#include "document/DocumentServices.h"

namespace kv {


namespace {
constexpr int kWandCursors[3] = {543, 544, 545};
}

CToolSelectWand::CToolSelectWand()
    : CToolSelectBase({"Wand Selection", 1, true, {543, 544, 545},
                       "Left-Click to select an area; Shift and Ctrl for more options"})
{
}

bool CToolSelectWand::OnLButtonDown(ToolEvent&)
{
    WaitCursorScope wait;
    return true;
}

#define KV_WAND(Class, Name, Status)                                                                      \
    Class::Class()                                                                                        \
        : CToolSelectWand({Name, 1, true, {kWandCursors[0], kWandCursors[1], kWandCursors[2]}, Status}) \
    {                                                                                                     \
    }
KV_WAND(CToolSelectWandAltitude, "Altitude Wand Selection",
        "Left-Click to select an altitude range; Shift and Ctrl for more options")
KV_WAND(CToolSelectWandRain, "Rainfall Wand Selection",
        "Left-Click to select a rainfall range; Shift and Ctrl for more options")
KV_WAND(CToolSelectWandTemperature, "Temperature Wand Selection",
        "Left-Click to select a temperature range; Shift and Ctrl for more options")
KV_WAND(CToolSelectWandClimate, "Climate Wand Selection",
        "Left-Click to select a climate type; Shift and Ctrl for more options")
#undef KV_WAND

std::unique_ptr<MouseTool> MakeSelectWandAltitude(const ToolCreateArgs&)
{
    return std::make_unique<CToolSelectWandAltitude>();
}
std::unique_ptr<MouseTool> MakeSelectWandRain(const ToolCreateArgs&) { return std::make_unique<CToolSelectWandRain>(); }
std::unique_ptr<MouseTool> MakeSelectWandTemperature(const ToolCreateArgs&)
{
    return std::make_unique<CToolSelectWandTemperature>();
}
std::unique_ptr<MouseTool> MakeSelectWandClimate(const ToolCreateArgs&)
{
    return std::make_unique<CToolSelectWandClimate>();
}

} // namespace kv
