#include "view/tools/CToolAbsOfs.h"

#include "view/tools/ToolFactory.h"

namespace kv {

CToolAbsOfs::CToolAbsOfs(const ToolCreateArgs& args) : CToolAbsPaint(args) {}

} // namespace kv
