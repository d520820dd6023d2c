#include "view/tools/ToolFactory.h"

#include "view/tools/MouseTool.h"

namespace kv {

namespace {

constexpr int kToolIdMask = 0xFFF;

// One line per tool file: { tool id, maker }. Tools join as their classes are written.
// (A placeholder line keeps the array non-empty; id 0 is the no-action tool.)
const MouseToolEntry kTools[] = {
    {0, nullptr},
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
