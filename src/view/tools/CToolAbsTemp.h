// Paints a temperature value (tool 15); Shift-click picks the temperature (in Celsius, the
// tool's unit, shown in the panel in Celsius or Fahrenheit).
#pragma once

#include "view/tools/CToolAbsPaint.h"

namespace kv {

class CToolAbsTemp : public CToolAbsPaint {
public:
    explicit CToolAbsTemp(const ToolCreateArgs& args);

    // Paints the temperature chosen in the panel: at each point of the stroke the channel is
    // given the value that makes the world's temperature there the chosen one. On a world
    // whose climate is modelled the channel holds an offset to the model; on one whose
    // climate was set directly it holds the temperature itself (Kelvin).
    bool ApplyAt(ToolEvent& event) override;
};

} // namespace kv
