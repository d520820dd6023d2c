// Paints a rainfall value (tool 16); Shift-click picks the rainfall (cm/yr).
#pragma once

#include "view/tools/CToolAbsPaint.h"

namespace kv {

class CToolAbsRain : public CToolAbsPaint {
public:
    explicit CToolAbsRain(const ToolCreateArgs& args);
};

} // namespace kv
