#include "gui/controls/ColorSwatch.h"

#include "gui/controls/DialogData.h"

#include <QMouseEvent>
#include <QPainter>

namespace kv {

ColorSwatch::ColorSwatch(QWidget* parent, uint32_t colour) : QWidget(parent), m_colour(colour & 0xFFFFFFu)
{
    setCursor(Qt::PointingHandCursor);
    setMinimumSize(16, 16);
}

void ColorSwatch::SetColor(uint32_t colour)
{
    m_colour = colour & 0xFFFFFFu;
    update();
}

void ColorSwatch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(m_colour));
}

void ColorSwatch::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QWidget::mousePressEvent(event);
}

} // namespace kv
