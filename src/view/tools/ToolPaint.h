// The paint tools' base: brushes a change into a channel grid while the left button is down,
// under the brush outline it draws on the map. The wheel and Control-drag resize the brush;
// the paintbrush panel in the tool options bar shows and edits size, value, direction and
// auto-rotate, and loads and saves presets.
//
// States: idle -> painting (left button down) -> idle (button up, Suspend, Deactivate);
// idle or painting -> resizing (Control down) -> the saved state (Control up, or the first
// mouse event without Control: its key-up may have gone to another window), except that a
// button released while resizing ends the stroke.
#pragma once

#include "view/tools/MouseTool.h"
#include "view/tools/PaintToolTable.h"
#include "view/tools/ToolOptionsBar.h"
#include "world/BrushSettings.h"
#include "world/SurfBrush.h"

#include <memory>

namespace kv {

struct ToolCreateArgs;

class ToolPaint : public MouseTool {
public:
    enum State : int { kIdle = 0, kPainting = 1, kResizing = 2 };
    static constexpr const char* kStatusText = "Tool paints while left mouse button is down";
    static constexpr const char* kPanelCaption = "Paintbrush Options";

    // The brush: the defaults with width and height `size` and the tool's direction.
    ToolPaint(const ToolCreateArgs& args);
    ~ToolPaint() override;

    bool Activate(ToolEvent& event) override;
    bool Deactivate(ToolEvent& event) override;
    bool Suspend(ToolEvent& event) override;
    bool Resume(ToolEvent& event) override;
    bool OnLButtonDown(ToolEvent& event) override;
    bool OnLButtonUp(ToolEvent& event) override;
    bool OnMouseMove(ToolEvent& event) override;
    bool OnKeyDown(ToolEvent& event) override;
    bool OnKeyUp(ToolEvent& event) override;
    bool OnMouseWheel(ToolEvent& event) override;
    bool DrawFeedback(ToolEvent& event) override;
    bool UpdatePanel() override;
    bool ReadPanel() override;
    bool GetToolInfo(ToolInfo& info) override;

    // One stroke point at the event's pixel (the stroke starts on a button press).
    virtual bool ApplyAt(ToolEvent& event);
    // Hands the tool's amount to the view.
    virtual void SetAmount(ToolEvent& event, float value);

    // ---- for the paintbrush panel ----
    const BrushSettings& Settings() const { return m_settings; }
    // A preset: every field taken, the brush rebuilt and the panel refreshed.
    void TakeSettings(const BrushSettings& settings);
    int Number() const { return GetId() & 0xFFF; }
    const PaintToolRow& Row() const { return m_row; }

    // ---- state (tests) ----
    int GetState() const { return m_state; }
    const SurfBrush& Brush() const { return m_brush; }

protected:
    // The brush outline drawn once more on the window (XOR: a second draw erases it).
    void ToggleOutline();
    ViewInput* View() const { return m_view; }
    BrushSettings& MutableSettings() { return m_settings; }
    void SetSize(int width, int height);

private:
    void Remember(const ToolEvent& event);
    // Control as the mouse event has it: a resize without it is over.
    void FollowControl(const ToolEvent& event);

    PaintToolRow m_row;
    int m_state = kIdle;
    int m_savedState = kIdle;
    std::unique_ptr<PaintbrushPanel> m_panel;
    SurfBrush m_brush;
    int m_lastX = 0, m_lastY = 0;
    ToolEvent m_resizeEvent;
    double m_anchorLatitude = 0.0, m_anchorLongitude = 0.0;
    ToolEvent m_lastEvent;
    BrushSettings m_settings;
    ViewInput* m_view = nullptr;
    ToolOptionsBar* m_bar = nullptr;
    // Wheel delta not yet turned into size steps (a high-resolution wheel sends pieces).
    int m_wheelRest = 0;
};

} // namespace kv
