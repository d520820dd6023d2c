#include "view/tools/ToolFactory.h"

#include "view/tools/MapEditTools.h"
#include "view/tools/MouseTool.h"

namespace kv {

namespace {

constexpr int kToolIdMask = 0xFFF;

// One line per tool file: { tool id, maker }. Tools join as their classes are written.
// (A placeholder line keeps the array non-empty; id 0 is the no-action tool.)
const MouseToolEntry kTools[] = {
    {0, nullptr},
    // ---- map editing: selection, measuring, craters, overlays, pickers, gradients ----
    {0, MakeToolNull},
    {18, MakeSelectFreehand},
    {19, MakeSelectPolygon},
    {20, MakeSelectRectangle},
    {21, MakeSelectEllipse},
    {24, MakeSelectWandAltitude},
    {25, MakeSelectWandRain},
    {26, MakeSelectWandTemperature},
    {27, MakeSelectWandClimate},
    {28, MakeRuler},
    {30, MakeCraterTool},
    {31, MakeImagePaint},
    {32, MakeImageErase},
    {33, MakeAltColorPicker},
    {34, MakeSelectColorPicker},
    {35, MakeColorLinkPicker},
    {39, MakeGradientTool},
    {40, MakeGradientTool},
    {41, MakeGradientTool},
    {42, MakeGradientTool},
    {43, MakeGradientTool},
    {44, MakeImageColorPicker},
    // ---- end of map editing ----
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
