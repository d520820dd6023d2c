// Paints a prescale offset value (tool 38); Shift-click picks 1.0.
#pragma once

#include "view/tools/CToolAbsPaint.h"

namespace kv {

class CToolAbsPreOffset : public CToolAbsPaint {
public:
    explicit CToolAbsPreOffset(const ToolCreateArgs& args);
};

} // namespace kv
