#include "gui/tools/CToolbarSelectBase.h"

#include "base/MessageService.h"
#include "gui/tools/PanelNumbers.h"
#include "view/tools/MouseTool.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include <cmath>

namespace kv {

CToolbarSelectBase::CToolbarSelectBase(MouseTool& tool, QWidget* parent) : QWidget(parent), m_tool(tool)
{
    setObjectName(QString::number(kTemplateId));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 2, 1);
    m_feather = MakePanelEdit(this, 5134);
    m_style = new QComboBox(this);
    m_style->setObjectName(QStringLiteral("5636"));
    m_width = MakePanelEdit(this, 5571);
    m_height = MakePanelEdit(this, 5264);
    m_widthLabel = new QLabel(QStringLiteral("Width:"), this);
    m_widthLabel->setObjectName(QStringLiteral("5572"));
    m_heightLabel = new QLabel(QStringLiteral("Height:"), this);
    m_heightLabel->setObjectName(QStringLiteral("5265"));
    row->addWidget(new QLabel(QStringLiteral("Feather:"), this));
    row->addWidget(m_feather);
    row->addWidget(m_style);
    row->addWidget(m_widthLabel);
    row->addWidget(m_width);
    row->addWidget(m_heightLabel);
    row->addWidget(m_height);
    row->addStretch(1);
    for (QLineEdit* e : {m_feather, m_width, m_height})
        connect(e, &QLineEdit::editingFinished, this, [this] { m_tool.ReadPanel(); });
    connect(m_style, &QComboBox::activated, this, [this](int) {
        UpdateEnabled();
        m_tool.ReadPanel();
    });
    Show(SelectFields());
}

void CToolbarSelectBase::SetStyles(const std::vector<std::string>& styles)
{
    m_style->clear();
    for (const std::string& s : styles)
        m_style->addItem(QString::fromStdString(s));
    UpdateEnabled();
}

void CToolbarSelectBase::UpdateEnabled()
{
    const bool sized = m_style->currentIndex() > 0;
    for (QWidget* w : std::initializer_list<QWidget*>{m_width, m_height, m_widthLabel, m_heightLabel})
        w->setEnabled(sized);
}

void CToolbarSelectBase::Show(const SelectFields& f)
{
    m_feather->setText(PanelNumberText(f.feather));
    m_style->setCurrentIndex(f.style < m_style->count() ? f.style : -1);
    m_width->setText(PanelIntText(f.width));
    m_height->setText(PanelIntText(f.height));
    UpdateEnabled();
}

bool CToolbarSelectBase::Read(SelectFields& f) const
{
    const std::optional<double> feather = ParsePanelNumber(m_feather->text());
    if (!feather || !std::isfinite(static_cast<float>(*feather))) {
        ShowMessage("Please enter a number.");
        return false;
    }
    const std::optional<int> w = ParsePanelInt(m_width->text());
    const std::optional<int> h = ParsePanelInt(m_height->text());
    for (const std::optional<int>& side : {w, h}) {
        if (!side || *side < kMinSide || *side > kMaxSide) {
            ShowMessage("Please enter an integer between 1 and 32767.");
            return false;
        }
    }
    f.feather = static_cast<float>(*feather);
    f.style = std::max(0, m_style->currentIndex());
    f.width = *w;
    f.height = *h;
    return true;
}

} // namespace kv
