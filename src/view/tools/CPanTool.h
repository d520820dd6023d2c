// The pan tool (also the temporary tool while Space is held): a drag moves the map offset;
// with Shift the drag moves the projection's centre (with Ctrl too, the equator stays at
// the centre).
#pragma once

#include "view/tools/MouseTool.h"

#include <cstdint>

namespace kv {

class CPanTool : public MouseTool {
public:
    static constexpr const char* kStatusText =
        "Click and drag to move image offset; Shift+Click and drag to change center of projection";

    CPanTool();

    bool OnLButtonDown(ToolEvent& event) override;
    bool OnMouseMove(ToolEvent& event) override;
    bool OnLButtonUp(ToolEvent& event) override;
    bool OnKeyDown(ToolEvent& event) override;
    bool OnKeyUp(ToolEvent& event) override;
    bool OnMouseWheel(ToolEvent& event) override { return WheelZoom(event); }

    bool IsDragging() const { return m_dragging != 0; }

private:
    int CursorForState() const;
    // Shift and Ctrl as the mouse event has them (a key-up may have gone elsewhere).
    void FollowKeys(const ToolEvent& event);

    int m_pressX = 0, m_pressY = 0;
    double m_offsetX = 0.0, m_offsetY = 0.0;
    double m_centerLatitude = 0.0, m_centerLongitude = 0.0;
    int m_dragging = 0;
    uint8_t m_shift = 0;
    uint8_t m_ctrl = 0;
};

} // namespace kv
