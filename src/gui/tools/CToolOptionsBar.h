// The tool options bar (dock 33258): the one bar in which the current tool places its option
// panel over the placeholder (5695), and whose floating caption the tool sets.
#pragma once

#include "view/tools/ToolOptionsBar.h"

#include <QDockWidget>
#include <QPointer>

namespace kv {

class CToolOptionsBar : public QDockWidget, public ToolOptionsBar {
    Q_OBJECT
public:
    static constexpr int kBarId = 33258;
    static constexpr int kPlaceholderId = 5695;

    explicit CToolOptionsBar(QWidget* parent = nullptr);

    void SetCaption(const std::string& caption) override;
    std::unique_ptr<PaintbrushPanel> CreatePaintbrushPanel(ToolPaint& tool) override;
    std::unique_ptr<SelectPanel> CreateSelectPanel(MouseTool& tool) override;
    std::unique_ptr<SelectOptionsPanel> CreateSelectPanel(int option, CToolSelectBase& tool) override;
    std::unique_ptr<GradientOptionsPanel> CreateGradientPanel() override;

    QWidget* Placeholder() const { return m_placeholder; }
    // The panel shown now (null: none).
    QWidget* CurrentPanel() const { return m_panel; }

private:
    void Place(QWidget* panel);

    QWidget* m_placeholder = nullptr;
    QPointer<QWidget> m_panel;
};

} // namespace kv
