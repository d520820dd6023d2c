// Lowers (tool 36) or raises (tool 37) the prescale offset channel.
#pragma once

#include "view/tools/ToolPaint.h"

namespace kv {

class CToolPreOffset : public ToolPaint {
public:
    explicit CToolPreOffset(const ToolCreateArgs& args);
};

} // namespace kv
