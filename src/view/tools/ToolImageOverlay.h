// The image overlay tools and the colour pickers.
//
// ToolImageOverlay holds the overlay worked on and the drawing colour (0xAABBGGRR); the
// view pushes both whenever the tool, the active overlay or the colour changes, and drops
// the overlay (null) when it leaves the list. CToolImagePaint stamps a circular brush into
// it while the button is down (one undo step per press); CToolImageErase stamps alpha 0.
// The pickers read the composite overlay colour under a click and hand it on: to the
// colour-to-altitude window, to the colour links window, or as the view's drawing colour.
#pragma once

#include "base/layers/ImageOverlay.h"
#include "view/tools/CToolSelectBase.h"
#include "view/tools/MouseTool.h"
#include "view/tools/ToolContext.h"

#include <cstdint>
#include <memory>
#include <string>

namespace kv {

class ToolImageOverlay : public MouseTool {
public:
    virtual void SetOverlay(ImageOverlay* overlay) { m_overlay = overlay; }
    virtual void SetColor(uint32_t colour) { m_colour = colour; }
    ImageOverlay* Overlay() const { return m_overlay; }
    uint32_t Color() const { return m_colour; }
    const std::string& Name() const { return m_name; }

protected:
    ImageOverlay* m_overlay = nullptr;
    uint32_t m_colour = 0;
    std::string m_name;
};

class CToolImagePaint : public ToolImageOverlay {
public:
    static constexpr int kBrushFlags = 0x3010;
    static constexpr int kMinSize = 1, kMaxSize = 512;
    static constexpr int kHintOverlayStamped = 13;

    explicit CToolImagePaint(int size);
    bool Activate(ToolEvent& event) override;
    bool Deactivate(ToolEvent& event) override;
    bool OnLButtonDown(ToolEvent& event) override;
    bool OnMouseMove(ToolEvent& event) override;
    bool OnLButtonUp(ToolEvent& event) override;
    bool OnMouseWheel(ToolEvent& event) override;
    bool DrawFeedback(ToolEvent& event) override;
    virtual bool Stamp(ToolEvent& event);

    int BrushSize() const { return m_size; }
    bool IsPainting() const { return m_painting != 0; }
    const ImageBrush& Brush() const { return *m_brush; }

protected:
    void MakeBrush();
    int m_painting = 0;
    int m_one = 1;
    int m_size;
    int m_flags = kBrushFlags;
    std::unique_ptr<ImageBrush> m_brush;
    int m_lastX = 0, m_lastY = 0;
    WheelNotches m_wheel;
};

class CToolImageErase : public CToolImagePaint {
public:
    explicit CToolImageErase(int size);
    // Keeps its own RGB and clears the alpha: every stamp paints alpha 0.
    void SetColor(uint32_t colour) override;
};

// The colour-to-altitude window as the picker reaches it (the window side installs it).
class AltColorWindow {
public:
    virtual ~AltColorWindow() = default;
    // Opens the single-entry editor for the colour (0x00BBGGRR) and appends the entry on OK.
    virtual void AddEntryForColor(uint32_t rgb) = 0;
};
// Installs the window (null: none) and returns the previous one.
AltColorWindow* SetAltColorWindow(AltColorWindow* window);
AltColorWindow* GetAltColorWindow();

// The colour links window's colour field as the picker reaches it.
class ColorLinkColorTarget {
public:
    virtual ~ColorLinkColorTarget() = default;
    // Shows the colour (0x00BBGGRR) as "%02X%02X%02X" (red, green, blue) and repaints.
    virtual void SetColor(uint32_t rgb) = 0;
};
ColorLinkColorTarget* SetColorLinkColorTarget(ColorLinkColorTarget* target);
ColorLinkColorTarget* GetColorLinkColorTarget();
// The text a colour shows as: red, green, blue in hexadecimal.
std::string ColorLinkText(uint32_t rgb);

// The pickers: every slot but the click does nothing and reports handled.
class CToolColorPickerBase : public MouseTool {
public:
    explicit CToolColorPickerBase(const char* status);
    bool Activate(ToolEvent&) override;
    bool Deactivate(ToolEvent&) override { return true; }
    bool OnLButtonDown(ToolEvent& event) override;
    bool OnLButtonUp(ToolEvent&) override { return true; }
    bool OnRButtonDown(ToolEvent&) override { return true; }
    bool OnRButtonUp(ToolEvent&) override { return true; }
    bool OnMouseMove(ToolEvent&) override { return true; }
    bool OnKeyDown(ToolEvent&) override { return true; }
    bool OnKeyUp(ToolEvent&) override { return true; }
    bool OnMouseWheel(ToolEvent&) override { return true; }
    bool DrawFeedback(ToolEvent&) override { return true; }

protected:
    // The picked colour (alpha not 0).
    virtual void Picked(ToolEvent& event, uint32_t colour) = 0;
};

class CToolAltColorPicker : public CToolColorPickerBase {
public:
    CToolAltColorPicker();

protected:
    void Picked(ToolEvent& event, uint32_t colour) override;
};

class CToolColorLinkPicker : public CToolColorPickerBase {
public:
    CToolColorLinkPicker();

protected:
    void Picked(ToolEvent& event, uint32_t colour) override;
};

class CToolImageColorPicker : public CToolSelectBase {
public:
    CToolImageColorPicker();
    bool Activate(ToolEvent&) override;
    bool Deactivate(ToolEvent&) override { return true; }
    bool OnLButtonDown(ToolEvent& event) override;
    bool OnLButtonUp(ToolEvent&) override { return true; }
    bool OnRButtonDown(ToolEvent&) override { return true; }
    bool OnRButtonUp(ToolEvent&) override { return true; }
    bool OnMouseMove(ToolEvent&) override { return true; }
    bool OnKeyDown(ToolEvent&) override { return true; }
    bool OnKeyUp(ToolEvent&) override { return true; }
    bool OnMouseWheel(ToolEvent&) override { return true; }
    bool DrawFeedback(ToolEvent&) override { return true; }
};

class CToolNull : public MouseTool {
public:
    CToolNull() = default;
    bool GetToolInfo(ToolInfo& info) override;
};

} // namespace kv
