#include "view/tools/CToolWater.h"

#include "view/tools/ToolFactory.h"

namespace kv {

CToolWater::CToolWater(const ToolCreateArgs& args) : CToolAbsPaint(args) {}

} // namespace kv
