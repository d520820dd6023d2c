#include "view/tools/CToolSelectBrush.h"

#include "view/tools/MapEditTools.h"

namespace kv {

CToolSelectBrush::CToolSelectBrush(const ToolCreateArgs& args) : ToolPaint(args) { SetStatusText(kStatusText); }

std::unique_ptr<MouseTool> MakeSelectBrush(const ToolCreateArgs& args)
{
    return std::make_unique<CToolSelectBrush>(args);
}

} // namespace kv
