#include "view/tools/CToolSelectBase.h"
#include "view/tools/MapEditTools.h"

namespace kv {

CToolSelectWandAltitude::CToolSelectWandAltitude()
    : CToolSelectWand({"Altitude Wand Selection", 1, true, {543, 544, 545},
                       "Left-Click to select an altitude range; Shift and Ctrl for more options"})
{
}

std::unique_ptr<MouseTool> MakeSelectWandAltitude(const ToolCreateArgs&) { return std::make_unique<CToolSelectWandAltitude>(); }

} // namespace kv
