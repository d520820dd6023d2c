#include "gui/tools/CToolOptionsBar.h"

#include "gui/tools/CToolbarPaintbrush.h"
#include "gui/tools/CToolbarSelectBase.h"

#include <QStackedLayout>

namespace kv {

namespace {

// The tool owns its panel; the window may go first (then the widget is gone already).
template <class Panel, class Interface>
class PanelHandle : public Interface {
public:
    explicit PanelHandle(Panel* panel) : m_panel(panel) {}
    ~PanelHandle() override { delete m_panel.data(); }
    Panel* Widget() const { return m_panel.data(); }

protected:
    QPointer<Panel> m_panel;
};

class PaintbrushHandle : public PanelHandle<CToolbarPaintbrush, PaintbrushPanel> {
public:
    using PanelHandle::PanelHandle;
    void Show(const PaintbrushFields& f) override
    {
        if (m_panel)
            m_panel->Show(f);
    }
    // A panel already gone with its window reads as invalid (the tool keeps its settings).
    bool Read(PaintbrushFields& f) const override { return m_panel && m_panel->Read(f); }
};

class SelectHandle : public PanelHandle<CToolbarSelectBase, SelectPanel> {
public:
    using PanelHandle::PanelHandle;
    void SetStyles(const std::vector<std::string>& styles) override
    {
        if (m_panel)
            m_panel->SetStyles(styles);
    }
    void Show(const SelectFields& f) override
    {
        if (m_panel)
            m_panel->Show(f);
    }
    bool Read(SelectFields& f) const override { return m_panel && m_panel->Read(f); }
};

} // namespace

CToolOptionsBar::CToolOptionsBar(QWidget* parent) : QDockWidget(parent)
{
    setObjectName(QString::number(kBarId));
    auto* body = new QWidget(this);
    auto* layout = new QStackedLayout(body);
    layout->setStackingMode(QStackedLayout::StackAll);
    m_placeholder = new QWidget(body);
    m_placeholder->setObjectName(QString::number(kPlaceholderId));
    m_placeholder->setMinimumSize(200, 24);
    layout->addWidget(m_placeholder);
    setWidget(body);
}

void CToolOptionsBar::SetCaption(const std::string& caption) { setWindowTitle(QString::fromStdString(caption)); }

void CToolOptionsBar::Place(QWidget* panel)
{
    // The panel covers the placeholder.
    if (auto* layout = qobject_cast<QStackedLayout*>(widget()->layout())) {
        layout->addWidget(panel);
        layout->setCurrentWidget(panel);
    }
    panel->setGeometry(m_placeholder->geometry());
    panel->show();
    panel->raise();
    m_panel = panel;
}

std::unique_ptr<PaintbrushPanel> CToolOptionsBar::CreatePaintbrushPanel(ToolPaint& tool)
{
    auto* panel = new CToolbarPaintbrush(tool, widget());
    Place(panel);
    return std::make_unique<PaintbrushHandle>(panel);
}

std::unique_ptr<SelectPanel> CToolOptionsBar::CreateSelectPanel(MouseTool& tool)
{
    auto* panel = new CToolbarSelectBase(tool, widget());
    Place(panel);
    return std::make_unique<SelectHandle>(panel);
}

} // namespace kv
