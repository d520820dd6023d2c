// Lowers (tool 7) or raises (tool 8) the land offset channel.
#pragma once

#include "view/tools/ToolPaint.h"

namespace kv {

class CToolOffset : public ToolPaint {
public:
    explicit CToolOffset(const ToolCreateArgs& args);
};

} // namespace kv
