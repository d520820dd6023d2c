#include "view/tools/CToolRainfall.h"

#include "view/tools/ToolFactory.h"

namespace kv {

CToolRainfall::CToolRainfall(const ToolCreateArgs& args) : ToolPaint(args) {}

} // namespace kv
