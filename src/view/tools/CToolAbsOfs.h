// Paints a land offset value (tool 13); Shift-click picks the altitude.
#pragma once

#include "view/tools/CToolAbsPaint.h"

namespace kv {

class CToolAbsOfs : public CToolAbsPaint {
public:
    explicit CToolAbsOfs(const ToolCreateArgs& args);
};

} // namespace kv
