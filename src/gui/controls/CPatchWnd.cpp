#include "gui/controls/CPatchWnd.h"

#include "base/color/CColorList.h"
#include "gui/controls/DialogData.h"

#include <QMouseEvent>
#include <QPainter>

namespace kv {

CPatchWnd::CPatchWnd(QWidget* parent, uint32_t colour) : QWidget(parent), m_colour(colour)
{
    setCursor(Qt::PointingHandCursor);
    setMinimumSize(16, 16);
}

void CPatchWnd::SetColor(uint32_t colour)
{
    m_colour = colour & 0xFFFFFFu;
    update();
}

uint32_t CPatchWnd::FillColor() const
{
    if (isEnabled())
        return m_colour;
    const uint32_t face = FromQColor(palette().color(QPalette::Active, QPalette::Button));
    return ColorOf((3 * RedOf(face) + RedOf(m_colour)) / 4, (3 * GreenOf(face) + GreenOf(m_colour)) / 4,
                   (3 * BlueOf(face) + BlueOf(m_colour)) / 4);
}

uint32_t CPatchWnd::OutlineColor() const
{
    if (isEnabled())
        return 0;
    const uint32_t face = FromQColor(palette().color(QPalette::Active, QPalette::Button));
    return ColorOf(3 * RedOf(face) / 4, 3 * GreenOf(face) / 4, 3 * BlueOf(face) / 4);
}

bool CPatchWnd::Pick()
{
    if (!isEnabled())
        return false;
    uint32_t colour = m_colour;
    if (!PickColorByShift(colour))
        return false;
    SetColor(colour);
    emit colorChosen(this);
    return true;
}

void CPatchWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect r = rect();
    painter.fillRect(r, ToQColor(FillColor()));
    painter.setPen(ToQColor(OutlineColor()));
    painter.drawRect(r.adjusted(0, 0, -1, -1));
}

void CPatchWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Pick();
    QWidget::mousePressEvent(event);
}

} // namespace kv
