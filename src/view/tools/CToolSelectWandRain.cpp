#include "view/tools/CToolSelectBase.h"
#include "view/tools/MapEditTools.h"

namespace kv {

CToolSelectWandRain::CToolSelectWandRain()
    : CToolSelectWand({"Rainfall Wand Selection", 1, true, {543, 544, 545},
                       "Left-Click to select a rainfall range; Shift and Ctrl for more options"})
{
}

std::unique_ptr<MouseTool> MakeSelectWandRain(const ToolCreateArgs&) { return std::make_unique<CToolSelectWandRain>(); }

} // namespace kv
