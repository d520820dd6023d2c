#include "view/tools/ToolFactory.h"

#include "view/tools/CPanTool.h"
#include "view/tools/CToolStartup.h"
#include "view/tools/CToolZoomPW2.h"
#include "view/tools/CToolZoomWin.h"
#include "view/tools/MapEditTools.h"
#include "view/tools/MouseTool.h"
#include "view/tools/CToolTemperature.h"
#include "view/tools/CToolRainfall.h"
#include "view/tools/CToolOffset.h"
#include "view/tools/CToolScale.h"
#include "view/tools/CToolWater.h"
#include "view/tools/CToolClimate.h"
#include "view/tools/CToolAbsOfs.h"
#include "view/tools/CToolAbsScale.h"
#include "view/tools/CToolAbsTemp.h"
#include "view/tools/CToolAbsRain.h"
#include "view/tools/CToolPreOffset.h"
#include "view/tools/CToolAbsPreOffset.h"

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

template <class Tool>
std::unique_ptr<MouseTool> MakePaint(const ToolCreateArgs& args)
{
    return std::make_unique<Tool>(args);
}

// One line per tool file: { tool id, maker }. Id 0 has no line: it is the no-action tool
// every id without one gets.
const MouseToolEntry kTools[] = {
    {1, MakeZoomTool},
    {2, Make<CPanTool>},
    {29, Make<CToolStartup>},
    // The paint tools.
    {3, &MakePaint<CToolTemperature>},
    {4, &MakePaint<CToolTemperature>},
    {5, &MakePaint<CToolRainfall>},
    {6, &MakePaint<CToolRainfall>},
    {7, &MakePaint<CToolOffset>},
    {8, &MakePaint<CToolOffset>},
    {9, &MakePaint<CToolScale>},
    {10, &MakePaint<CToolScale>},
    {11, &MakePaint<CToolWater>},
    {12, &MakePaint<CToolClimate>},
    {13, &MakePaint<CToolAbsOfs>},
    {14, &MakePaint<CToolAbsScale>},
    {15, &MakePaint<CToolAbsTemp>},
    {16, &MakePaint<CToolAbsRain>},
    {36, &MakePaint<CToolPreOffset>},
    {37, &MakePaint<CToolPreOffset>},
    {38, &MakePaint<CToolAbsPreOffset>},
    // End of the paint tools.
    // ---- map editing: selection, measuring, craters, overlays, pickers, gradients ----
    {18, MakeSelectFreehand},
    {19, MakeSelectPolygon},
    {20, MakeSelectRectangle},
    {21, MakeSelectEllipse},
    {22, MakeSelectBrush},
    {23, MakeSelectPencil},
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
    tool = MakeToolNull(args);
    tool->SetId(args.code);
    tool->SetWindow(args.window);
    return false;
}

} // namespace kv
