// The option panels of the map-editing tools as the tools see them, and the tool options
// bar that makes them. The window side implements both; without a bar a tool has no panel
// and keeps its own values.
#pragma once

#include <memory>
#include <string>

namespace kv {

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

// The tool options bar: hosts one panel at the place of its placeholder and shows a caption.
class ToolOptionsBar {
public:
    virtual ~ToolOptionsBar() = default;
    // The selection panel, handed the tool's option int and the tool (it calls StorePanel
    // when an edit loses the focus).
    virtual std::unique_ptr<SelectOptionsPanel> CreateSelectPanel(int /*option*/, CToolSelectBase& /*tool*/)
    {
        return nullptr;
    }
    virtual std::unique_ptr<GradientOptionsPanel> CreateGradientPanel() { return nullptr; }
    virtual void SetCaption(const std::string& /*caption*/) {}
};

// A panel number: the whole text in the C locale, finite and within float range; false
// for empty text, trailing characters, "nan", "inf" and overflow.
bool ParsePanelNumber(const std::string& text, double& value);
// A whole number within minimum..maximum.
bool ParsePanelInt(const std::string& text, int minimum, int maximum, int& value);

} // namespace kv
