#include "view/tools/CToolAbsTemp.h"

#include "view/tools/ToolFactory.h"

namespace kv {

CToolAbsTemp::CToolAbsTemp(const ToolCreateArgs& args) : CToolAbsPaint(args) {}

} // namespace kv
