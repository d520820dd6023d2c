#include "view/tools/CToolAbsPreOffset.h"

#include "view/tools/ToolFactory.h"

namespace kv {

CToolAbsPreOffset::CToolAbsPreOffset(const ToolCreateArgs& args) : CToolAbsPaint(args) {}

} // namespace kv
