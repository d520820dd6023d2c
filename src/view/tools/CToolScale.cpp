#include "view/tools/CToolScale.h"

#include "view/tools/ToolFactory.h"

namespace kv {

CToolScale::CToolScale(const ToolCreateArgs& args) : ToolPaint(args) {}

} // namespace kv
