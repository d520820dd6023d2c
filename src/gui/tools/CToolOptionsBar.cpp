#include "gui/tools/CToolOptionsBar.h"

#include "gui/tools/CToolbarPaintbrush.h"
#include "gui/tools/CToolGradientDlg.h"
#include "gui/tools/CToolbarSelectBase.h"
#include "view/tools/CToolSelectBase.h"

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

// The map-editing selection tools' view of the same panel: four values, no style names (an
// empty style list reads as style 0).
class SelectOptionsHandle : public PanelHandle<CToolbarSelectBase, SelectOptionsPanel> {
public:
    using PanelHandle::PanelHandle;
    void Load(const SelectPanelValues& values) override
    {
        if (!m_panel)
            return;
        SelectFields f;
        f.feather = values.feather;
        f.style = values.style;
        f.width = values.width;
        f.height = values.height;
        m_panel->Show(f);
    }
    bool Store(SelectPanelValues& values) override
    {
        SelectFields f;
        if (!m_panel || !m_panel->Read(f))
            return false;
        values.feather = f.feather;
        values.style = f.style;
        values.width = f.width;
        values.height = f.height;
        return true;
    }
};

class GradientHandle : public PanelHandle<CToolGradientDlg, GradientOptionsPanel> {
public:
    using PanelHandle::PanelHandle;
    void Load(const GradientPanelValues& values) override
    {
        if (m_panel)
            m_panel->Load(values);
    }
    bool Read(GradientPanelValues& values) override { return m_panel && m_panel->Read(values); }
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

std::unique_ptr<SelectOptionsPanel> CToolOptionsBar::CreateSelectPanel(int /*option*/, CToolSelectBase& tool)
{
    auto* panel = new CToolbarSelectBase(tool, widget());
    panel->SetStyles({});
    Place(panel);
    return std::make_unique<SelectOptionsHandle>(panel);
}

std::unique_ptr<GradientOptionsPanel> CToolOptionsBar::CreateGradientPanel()
{
    auto* panel = new CToolGradientDlg(widget());
    Place(panel);
    return std::make_unique<GradientHandle>(panel);
}

} // namespace kv
