// Paints a climate class (tool 12) as whole codes; Shift-click picks the class.
#pragma once

#include "view/tools/CToolAbsPaint.h"

namespace kv {

class CToolClimate : public CToolAbsPaint {
public:
    explicit CToolClimate(const ToolCreateArgs& args);
};

} // namespace kv
