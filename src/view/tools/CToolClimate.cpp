#include "view/tools/CToolClimate.h"

#include "view/tools/ToolFactory.h"

namespace kv {

CToolClimate::CToolClimate(const ToolCreateArgs& args) : CToolAbsPaint(args) {}

} // namespace kv
