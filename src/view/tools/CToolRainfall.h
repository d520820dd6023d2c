// Lowers (tool 5) or raises (tool 6) the rainfall channel.
#pragma once

#include "view/tools/ToolPaint.h"

namespace kv {

class CToolRainfall : public ToolPaint {
public:
    explicit CToolRainfall(const ToolCreateArgs& args);
};

} // namespace kv
