// Paints a roughness value (tool 14); Shift-click picks 1.0.
#pragma once

#include "view/tools/CToolAbsPaint.h"

namespace kv {

class CToolAbsScale : public CToolAbsPaint {
public:
    explicit CToolAbsScale(const ToolCreateArgs& args);
};

} // namespace kv
