#include "view/tools/CToolTemperature.h"

#include "view/tools/ToolFactory.h"

namespace kv {

CToolTemperature::CToolTemperature(const ToolCreateArgs& args) : ToolPaint(args) {}

} // namespace kv
