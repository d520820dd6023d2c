// The selection brush (tool 22) and pencil (tool 23): paint tools of their own class. The view
// paints no channel for them, so their strokes change nothing and record no undo step.
#pragma once

#include "view/tools/ToolPaint.h"

namespace kv {

class CToolSelectBrush : public ToolPaint {
public:
    static constexpr const char* kStatusText =
        "Left-Click and drag to paint the selection; Shift and Ctrl for more options";
    explicit CToolSelectBrush(const ToolCreateArgs& args);
};

class CToolSelectPencil : public ToolPaint {
public:
    explicit CToolSelectPencil(const ToolCreateArgs& args);
};

} // namespace kv
