// Paints a temperature value (tool 15); Shift-click picks the temperature (Kelvin).
#pragma once

#include "view/tools/CToolAbsPaint.h"

namespace kv {

class CToolAbsTemp : public CToolAbsPaint {
public:
    explicit CToolAbsTemp(const ToolCreateArgs& args);
};

} // namespace kv
