#include "view/tools/CToolAbsScale.h"

#include "view/tools/ToolFactory.h"

namespace kv {

CToolAbsScale::CToolAbsScale(const ToolCreateArgs& args) : CToolAbsPaint(args) {}

} // namespace kv
