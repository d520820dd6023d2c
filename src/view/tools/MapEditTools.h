// The makers of the map-editing tools for the factory table: selection outlines, wands and
// the selection colour picker, rulers, craters, the gradient tools, the overlay paint and
// erase tools, the colour pickers and the no-action tool.
#pragma once

#include "view/tools/ToolFactory.h"

#include <memory>

namespace kv {

class MouseTool;

std::unique_ptr<MouseTool> MakeToolNull(const ToolCreateArgs&);
std::unique_ptr<MouseTool> MakeSelectFreehand(const ToolCreateArgs&);
std::unique_ptr<MouseTool> MakeSelectPolygon(const ToolCreateArgs&);
std::unique_ptr<MouseTool> MakeSelectRectangle(const ToolCreateArgs&);
std::unique_ptr<MouseTool> MakeSelectEllipse(const ToolCreateArgs&);
std::unique_ptr<MouseTool> MakeSelectWandAltitude(const ToolCreateArgs&);
std::unique_ptr<MouseTool> MakeSelectWandRain(const ToolCreateArgs&);
std::unique_ptr<MouseTool> MakeSelectWandTemperature(const ToolCreateArgs&);
std::unique_ptr<MouseTool> MakeSelectWandClimate(const ToolCreateArgs&);
std::unique_ptr<MouseTool> MakeSelectColorPicker(const ToolCreateArgs&);
// Ids 22 and 23: paint tools whose strokes the view refuses.
std::unique_ptr<MouseTool> MakeSelectBrush(const ToolCreateArgs&);
std::unique_ptr<MouseTool> MakeSelectPencil(const ToolCreateArgs&);
// A great-circle ruler on a spherical world, a planar one otherwise.
std::unique_ptr<MouseTool> MakeRuler(const ToolCreateArgs&);
// The crater tool of the world's kind; args.argument is the radius in degrees.
std::unique_ptr<MouseTool> MakeCraterTool(const ToolCreateArgs&);
std::unique_ptr<MouseTool> MakeImagePaint(const ToolCreateArgs&);
std::unique_ptr<MouseTool> MakeImageErase(const ToolCreateArgs&);
std::unique_ptr<MouseTool> MakeAltColorPicker(const ToolCreateArgs&);
std::unique_ptr<MouseTool> MakeColorLinkPicker(const ToolCreateArgs&);
std::unique_ptr<MouseTool> MakeImageColorPicker(const ToolCreateArgs&);
// Ids 39 to 43: channels 1, 6, 0, 2 and 3.
std::unique_ptr<MouseTool> MakeGradientTool(const ToolCreateArgs&);

} // namespace kv
