#include "view/tools/CToolPreOffset.h"

#include "view/tools/ToolFactory.h"

namespace kv {

CToolPreOffset::CToolPreOffset(const ToolCreateArgs& args) : ToolPaint(args) {}

} // namespace kv
