#include "view/tools/CToolAbsRain.h"

#include "view/tools/ToolFactory.h"

namespace kv {

CToolAbsRain::CToolAbsRain(const ToolCreateArgs& args) : CToolAbsPaint(args) {}

} // namespace kv
