#include "view/tools/CToolSelectBrush.h"

#include "view/tools/MapEditTools.h"

namespace kv {

CToolSelectPencil::CToolSelectPencil(const ToolCreateArgs& args) : ToolPaint(args) {}

std::unique_ptr<MouseTool> MakeSelectPencil(const ToolCreateArgs& args)
{
    return std::make_unique<CToolSelectPencil>(args);
}

} // namespace kv
