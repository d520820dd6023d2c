// The tool options bar as the tools see it: the one dialog bar of the main frame in which the
// current tool places its option panel, and the panels themselves. The window side implements
// them; without a window there is no bar and tools keep their settings as they are.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kv {

class MouseTool;
class ToolPaint;

// What the paintbrush panel shows and the paint tools read back. `value` is in display units.
struct PaintbrushFields {
    int width = 11;
    int height = 11;
    float value = 1.0f;
    int operation = 0; // 0 value, 1 raise, 2 lower
    bool autoRotate = false;
};

class PaintbrushPanel {
public:
    virtual ~PaintbrushPanel() = default;
    virtual void Show(const PaintbrushFields& fields) = 0;
    // False (fields untouched) when a field holds no usable number.
    virtual bool Read(PaintbrushFields& fields) const = 0;
};

// What the selection panel shows and the selection tools read back.
struct SelectFields {
    float feather = 0.0f;
    int style = 0;
    int width = 1;  // 1..32767
    int height = 1; // 1..32767
};

class SelectPanel {
public:
    virtual ~SelectPanel() = default;
    // The items of the style list (filled by the selection tools).
    virtual void SetStyles(const std::vector<std::string>& styles) = 0;
    virtual void Show(const SelectFields& fields) = 0;
    virtual bool Read(SelectFields& fields) const = 0;
};

// The selection tools' four values.
struct SelectPanelValues {
    float feather = 0.0f;
    int style = 0;
    int width = 1;
    int height = 1;
};
constexpr int kSelectPanelSideMin = 1;
constexpr int kSelectPanelSideMax = 32767;

class SelectOptionsPanel {
public:
    virtual ~SelectOptionsPanel() = default;
    // Shows the values and refreshes the controls (width and height enabled only for a
    // style other than 0).
    virtual void Load(const SelectPanelValues& values) = 0;
    // Reads the controls; false (values untouched) when one fails validation.
    virtual bool Store(SelectPanelValues& values) = 0;
};

// The gradient tools' settings as the panel shows them (start and end in display units).
struct GradientPanelValues {
    double start = 0.0;
    double end = 100.0;
    int curve = 1;
    int kind = 0;
    int operation = 0;
};

class GradientOptionsPanel {
public:
    virtual ~GradientOptionsPanel() = default;
    virtual void Load(const GradientPanelValues& values) = 0;
    // False (values untouched) when a field fails validation.
    virtual bool Read(GradientPanelValues& values) = 0;
};

class CToolSelectBase;

class ToolOptionsBar {
public:
    virtual ~ToolOptionsBar() = default;
    // The caption of the bar's floating frame.
    virtual void SetCaption(const std::string&) {}
    // A panel placed over the bar's placeholder, owned by the tool; null without a window.
    virtual std::unique_ptr<PaintbrushPanel> CreatePaintbrushPanel(ToolPaint&) { return nullptr; }
    virtual std::unique_ptr<SelectPanel> CreateSelectPanel(MouseTool&) { return nullptr; }
    // The map-editing tools' panels: the selection panel, handed the tool's option int and
    // the tool (it calls StorePanel when an edit loses the focus), and the gradient panel.
    virtual std::unique_ptr<SelectOptionsPanel> CreateSelectPanel(int /*option*/, CToolSelectBase& /*tool*/)
    {
        return nullptr;
    }
    virtual std::unique_ptr<GradientOptionsPanel> CreateGradientPanel() { return nullptr; }
};

} // namespace kv
