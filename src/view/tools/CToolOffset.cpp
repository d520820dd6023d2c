#include "view/tools/CToolOffset.h"

#include "view/tools/ToolFactory.h"

namespace kv {

CToolOffset::CToolOffset(const ToolCreateArgs& args) : ToolPaint(args) {}

} // namespace kv
