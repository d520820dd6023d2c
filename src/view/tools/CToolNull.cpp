#include "view/tools/MapEditTools.h"
#include "view/tools/ToolImageOverlay.h"

namespace kv {

bool CToolNull::GetToolInfo(ToolInfo& info)
{
    static const ToolInfo kInfo{1, 0, "No-Action Tool", "No Action\nNo Action",
                                "No Action is performed when this tool is selected", "", nullptr, nullptr, ""};
    info = kInfo;
    return true;
}

std::unique_ptr<MouseTool> MakeToolNull(const ToolCreateArgs&) { return std::make_unique<CToolNull>(); }

} // namespace kv
