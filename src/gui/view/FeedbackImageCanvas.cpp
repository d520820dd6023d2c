#include "gui/view/FeedbackImageCanvas.h"

#include <QImage>
#include <QPainter>
#include <QPolygon>

namespace kv {

namespace {

// A painter that XORs a white dotted one-pixel pen into the image.
struct XorPainter {
    explicit XorPainter(QImage& image, int solidWidth = 0) : painter(&image)
    {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        QPen pen(Qt::white, solidWidth, solidWidth > 0 ? Qt::SolidLine : Qt::DotLine);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
    }
    QPainter painter;
};

} // namespace

void FeedbackImageCanvas::Touch(const QRect& area)
{
    m_touched |= area;
    if (m_drawn)
        m_drawn();
}

void FeedbackImageCanvas::XorLine(int x0, int y0, int x1, int y1)
{
    XorPainter p(m_screen);
    p.painter.drawLine(x0, y0, x1, y1);
    Touch(QRect(QPoint(std::min(x0, x1), std::min(y0, y1)), QPoint(std::max(x0, x1), std::max(y0, y1))));
}

void FeedbackImageCanvas::XorPolyline(const std::vector<FeedbackPoint>& points)
{
    if (points.size() < 2)
        return;
    QPolygon polygon;
    polygon.reserve(static_cast<int>(points.size()));
    for (const FeedbackPoint& p : points)
        polygon << QPoint(p.x, p.y);
    XorPainter p(m_screen);
    p.painter.drawPolyline(polygon);
    Touch(polygon.boundingRect());
}

void FeedbackImageCanvas::XorSolidLine(int x0, int y0, int x1, int y1, int width)
{
    XorPainter p(m_screen, std::max(1, width));
    p.painter.drawLine(x0, y0, x1, y1);
    Touch(QRect(QPoint(std::min(x0, x1), std::min(y0, y1)), QPoint(std::max(x0, x1), std::max(y0, y1)))
                     .adjusted(-width, -width, width, width));
}

void FeedbackImageCanvas::XorRectangle(int left, int top, int right, int bottom)
{
    XorPainter p(m_screen);
    p.painter.drawRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
    Touch(QRect(QPoint(left, top), QPoint(right, bottom)));
}

void FeedbackImageCanvas::XorEllipse(int left, int top, int right, int bottom)
{
    XorPainter p(m_screen);
    p.painter.drawEllipse(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
    Touch(QRect(QPoint(left, top), QPoint(right, bottom)));
}

void FeedbackImageCanvas::FocusRectangle(int left, int top, int right, int bottom)
{
    XorRectangle(left, top, right, bottom);
}

} // namespace kv
