// The gradient tools: a drag across the map fills a channel with a gradient from the
// press point to the release point (world/GradientRenderers.h), one undo step "Gradient".
// The settings are shared by the five tools (ids 39..43: channels 1, 6, 0, 2, 3) for the
// whole run; start and end show in feet when the metric setting is off.
#pragma once

#include "view/tools/MouseTool.h"
#include "view/tools/ToolPanels.h"

#include <memory>

namespace kv {

struct GradientSettings {
    double start = 0.0;
    double end = 100.0;
    int curve = 1;
    int kind = 0;
    int operation = 0;
};
// The process-wide settings.
GradientSettings& SharedGradientSettings();

// The channel a gradient tool id paints (-1 for other ids).
int GradientToolChannel(int toolId);

class CToolGradient : public MouseTool {
public:
    static constexpr int kCursor = 350;
    static constexpr int kArrowHead = 14;
    static constexpr double kArrowAngle = 0.39269908169872414;
    static constexpr int kArrowWidth = 2;
    static constexpr const char* kStepName = "Gradient";

    explicit CToolGradient(int channel);
    bool Activate(ToolEvent& event) override;
    bool Deactivate(ToolEvent& event) override;
    bool OnLButtonDown(ToolEvent& event) override;
    bool OnMouseMove(ToolEvent& event) override;
    bool OnKeyDown(ToolEvent& event) override;
    bool OnLButtonUp(ToolEvent& event) override;
    bool DrawFeedback(ToolEvent& event) override;
    bool UpdatePanel() override;
    bool ReadPanel() override;
    bool GetToolInfo(ToolInfo& info) override;

    int Channel() const { return m_channel; }
    bool IsDragging() const { return m_dragging; }
    GradientOptionsPanel* Panel() const { return m_panel.get(); }

private:
    // Ends the drag with the arrow erased and the mouse released.
    void EndDrag(ToolEvent& event);

    ToolEvent m_press;
    ToolEvent m_last;
    bool m_dragging = false;
    int m_channel;
    std::unique_ptr<GradientOptionsPanel> m_panel;
};

} // namespace kv
