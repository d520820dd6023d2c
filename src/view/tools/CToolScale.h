// Raises (tool 9) or lowers (tool 10) the roughness channel.
#pragma once

#include "view/tools/ToolPaint.h"

namespace kv {

class CToolScale : public ToolPaint {
public:
    explicit CToolScale(const ToolCreateArgs& args);
};

} // namespace kv
