// Paints the water level (tool 11); Shift-click picks the altitude.
#pragma once

#include "view/tools/CToolAbsPaint.h"

namespace kv {

class CToolWater : public CToolAbsPaint {
public:
    explicit CToolWater(const ToolCreateArgs& args);
};

} // namespace kv
