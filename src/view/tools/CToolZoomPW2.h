// The marquee zoom tool: click, move and click again (or Enter) to zoom to the rectangle;
// Esc cancels. The view history is pushed when a marquee begins.
#pragma once

#include "view/tools/MouseTool.h"

namespace kv {

class CToolZoomPW2 : public MouseTool {
public:
    static constexpr const char* kStatusText = "Click, move and click again for marquee zoom.";
    static constexpr int kIdle = 0;
    static constexpr int kDragging = 1;

    CToolZoomPW2();

    bool OnLButtonDown(ToolEvent& event) override;
    bool OnMouseMove(ToolEvent& event) override;
    bool OnKeyDown(ToolEvent& event) override;
    bool OnMouseWheel(ToolEvent& event) override { return WheelZoom(event); }
    bool DrawFeedback(ToolEvent& event) override;

    int State() const { return m_state; }

protected:
    // Starts a marquee at the event's point.
    virtual bool Begin(ToolEvent& event);
    // Ends the marquee and zooms to it.
    virtual bool End(ToolEvent& event);
    virtual bool Cancel(ToolEvent& event);
    // Takes the feedback off the window (state still dragging) and lets the mouse go.
    void StopDragging(ToolEvent& event);

    int m_x1 = 0, m_y1 = 0;
    int m_x2 = 0, m_y2 = 0;
    int m_state = kIdle;
};

} // namespace kv
