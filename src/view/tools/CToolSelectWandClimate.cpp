#include "view/tools/CToolSelectBase.h"
#include "view/tools/MapEditTools.h"

namespace kv {

CToolSelectWandClimate::CToolSelectWandClimate()
    : CToolSelectWand({"Climate Wand Selection", 1, true, {543, 544, 545},
                       "Left-Click to select a climate type; Shift and Ctrl for more options"})
{
}

std::unique_ptr<MouseTool> MakeSelectWandClimate(const ToolCreateArgs&) { return std::make_unique<CToolSelectWandClimate>(); }

} // namespace kv
