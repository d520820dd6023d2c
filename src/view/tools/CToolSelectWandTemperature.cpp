#include "view/tools/CToolSelectBase.h"
#include "view/tools/MapEditTools.h"

namespace kv {

CToolSelectWandTemperature::CToolSelectWandTemperature()
    : CToolSelectWand({"Temperature Wand Selection", 1, true, {543, 544, 545},
                       "Left-Click to select a temperature range; Shift and Ctrl for more options"})
{
}

std::unique_ptr<MouseTool> MakeSelectWandTemperature(const ToolCreateArgs&) { return std::make_unique<CToolSelectWandTemperature>(); }

} // namespace kv
