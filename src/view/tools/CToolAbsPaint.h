// The paint tools that paint a fixed value; Shift held turns a click into picking the value
// from the map, which becomes the tool's value (shown in its panel) and the view's. The
// mouse events' own Shift decides (the key events only change the cursor early).
#pragma once

#include "view/tools/ToolPaint.h"

namespace kv {

class CToolAbsPaint : public ToolPaint {
public:
    explicit CToolAbsPaint(const ToolCreateArgs& args);

    bool OnKeyDown(ToolEvent& event) override;
    bool OnKeyUp(ToolEvent& event) override;
    bool OnLButtonDown(ToolEvent& event) override;
    bool OnMouseMove(ToolEvent& event) override;
    // The value under the mouse, by the tool's pick (table).
    virtual float PickValue(ToolEvent& event, double latitude, double longitude);

    bool IsPicking() const { return m_picking; }

private:
    void SetPicking(bool picking);

    bool m_picking = false;
    int m_savedCursor = kCursorArrow;
};

} // namespace kv
