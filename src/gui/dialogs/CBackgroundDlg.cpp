#include "gui/dialogs/CBackgroundDlg.h"

#include "base/color/CColorList.h"
#include "base/raster/VideoBuffer.h"
#include "gui/controls/ColorSwatch.h"
#include "gui/controls/DialogData.h"
#include "gui/controls/DialogParts.h"
#include "view/ViewLayers.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QVBoxLayout>

#include <algorithm>

namespace kv {

HatchSwatch::HatchSwatch(int style, uint32_t lineColour, uint32_t background, QWidget* parent)
    : QWidget(parent), m_style(style), m_line(lineColour), m_background(background)
{
    setCursor(Qt::PointingHandCursor);
    setMinimumSize(32, 24);
}

void HatchSwatch::Set(int style, uint32_t lineColour, uint32_t background)
{
    m_style = style;
    m_line = lineColour;
    m_background = background;
    update();
}

QImage HatchSwatch::Picture() const
{
    VideoBuffer tile;
    if (tile.Create(std::max(1, width()), std::max(1, height())) != 0)
        return QImage();
    FillHatch(tile, m_style, m_line, m_background);
    return ToQImage(tile);
}

void HatchSwatch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, Picture());
}

void HatchSwatch::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QWidget::mousePressEvent(event);
}

CBackgroundDlg::CBackgroundDlg(const BackgroundValues& v, QWidget* parent)
    : QDialog(parent), values(v), m_foreground(new ColorSwatch(this, v.foreground)),
      m_background(new ColorSwatch(this, v.background)), m_preview(new HatchSwatch(0, 0, 0, this))
{
    setWindowTitle("Background Settings");
    values.pattern = std::clamp(values.pattern, 0, kPatternCount - 1);
    // The pattern swatches draw in the system's menu text colour on its window colour.
    const uint32_t menuText = FromQColor(palette().color(QPalette::Active, QPalette::WindowText));
    const uint32_t window = FromQColor(palette().color(QPalette::Active, QPalette::Base));
    auto* patterns = new QGridLayout;
    for (int i = 0; i < kPatternCount; ++i) {
        m_patterns[i] = new HatchSwatch(i, menuText, window, this);
        SetControlId(m_patterns[i], kFirstPatternControl + i);
        patterns->addWidget(m_patterns[i], i / 3, i % 3);
        connect(m_patterns[i], &HatchSwatch::clicked, this, [this, i] { OnPatternClicked(i); });
    }
    SetControlId(m_foreground, 5207);
    SetControlId(m_background, 5025);
    SetControlId(m_preview, 5435);
    m_preview->setCursor(Qt::ArrowCursor);
    m_preview->setMinimumSize(96, 64);
    auto* colours = new QGridLayout;
    AddRow(colours, new QLabel("Foreground Color", this), m_foreground);
    AddRow(colours, new QLabel("Background Color", this), m_background);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Pattern", this));
    layout->addLayout(patterns);
    layout->addLayout(colours);
    layout->addWidget(m_preview);
    layout->addWidget(MakeButtons(this));
    connect(m_foreground, &ColorSwatch::clicked, this, [this] { OnColorClicked(true); });
    connect(m_background, &ColorSwatch::clicked, this, [this] { OnColorClicked(false); });
    Repaint();
}

void CBackgroundDlg::OnPatternClicked(int index)
{
    if (index < 0 || index >= kPatternCount)
        return;
    values.pattern = index;
    Repaint();
}

void CBackgroundDlg::OnColorClicked(bool foreground)
{
    uint32_t& colour = foreground ? values.foreground : values.background;
    PickColorByShift(colour);
    Repaint();
}

void CBackgroundDlg::Repaint()
{
    m_foreground->SetColor(values.foreground);
    m_background->SetColor(values.background);
    m_preview->Set(values.pattern, values.foreground, values.background);
    for (HatchSwatch* swatch : m_patterns)
        swatch->update();
}

} // namespace kv
