#include "view/tools/ToolFactory.h"

#include "view/tools/CPanTool.h"
#include "view/tools/CToolStartup.h"
#include "view/tools/CToolZoomPW2.h"
#include "view/tools/CToolZoomWin.h"
#include "view/tools/MouseTool.h"

namespace kv {

namespace {

constexpr int kToolIdMask = 0xFFF;

// The zoom tool's style follows preference ZS.
std::unique_ptr<MouseTool> MakeZoomTool(const ToolCreateArgs& args)
{
    if (args.zoomWindowStyle)
        return std::make_unique<CToolZoomWin>();
    return std::make_unique<CToolZoomPW2>();
}

template <class Tool>
std::unique_ptr<MouseTool> Make(const ToolCreateArgs&)
{
    return std::make_unique<Tool>();
}

// One line per tool file: { tool id, maker } (id 0 is the no-action tool).
const MouseToolEntry kTools[] = {
    {1, MakeZoomTool},
    {2, Make<CPanTool>},
    {29, Make<CToolStartup>},
};

} // namespace

const MouseToolEntry* MouseToolTable(int& count)
{
    count = static_cast<int>(sizeof(kTools) / sizeof(kTools[0]));
    return kTools;
}

bool CreateMouseTool(const ToolCreateArgs& args, std::unique_ptr<MouseTool>& tool)
{
    const int id = args.code & kToolIdMask;
    for (const MouseToolEntry& entry : kTools) {
        if (entry.make && entry.id == id) {
            tool = entry.make(args);
            if (tool) {
                tool->SetId(args.code);
                if (!tool->GetWindow())
                    tool->SetWindow(args.window);
                return true;
            }
        }
    }
    tool = std::make_unique<MouseTool>(args.code, args.window);
    return false;
}

} // namespace kv
