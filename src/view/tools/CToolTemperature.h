// Lowers (tool 3) or raises (tool 4) the temperature channel.
#pragma once

#include "view/tools/ToolPaint.h"

namespace kv {

class CToolTemperature : public ToolPaint {
public:
    explicit CToolTemperature(const ToolCreateArgs& args);
};

} // namespace kv
