#include "gui/frame/GlobeBarWidget.h"

#include "gui/commands/CommandTable.h"
#include "view/ViewCommandIds.h"

#include <QAction>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace kv {

namespace {

// The model's picture (32-bit, rows bottom-up) as Qt sees it.
QImage GlobeImage(const VideoBuffer& image)
{
    return QImage(image.GetBits(), image.GetWidth(), image.GetHeight(), static_cast<qsizetype>(image.RowBytes()),
                  QImage::Format_RGB32)
        .mirrored(false, true);
}

} // namespace

GlobeBarWidget::GlobeBarWidget(CommandActions& actions, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("GlobeBar"));
    setMouseTracking(true);
    setMinimumSize(kWidth, kHeight);
    struct Button {
        int id;
        int y;
        bool visible;
    } buttons[] = {{viewcmd::kGlobeQuit, 100, true}, {viewcmd::kGlobeCancel, 124, false},
                   {viewcmd::kGlobeHelp, 148, true}};
    for (const Button& b : buttons) {
        QAction* action = actions.Action(b.id);
        auto* button = new QPushButton(action ? action->text() : QString(), this);
        button->setObjectName(QString::number(b.id));
        button->setGeometry(10, b.y, 75, 20);
        button->setVisible(b.visible);
        if (action)
            connect(button, &QPushButton::clicked, action, &QAction::trigger);
    }
    m_model.EnsureGlobe();
}

bool GlobeBarWidget::RenderStep()
{
    if (!m_model.RenderGlobe())
        return false;
    update();
    return true;
}

void GlobeBarWidget::paintEvent(QPaintEvent*)
{
    const CGlobeDlgBar::Rect& r = m_model.GlobeRect();
    if (r.right <= r.left || m_model.Image().IsEmpty())
        return;
    QPainter p(this);
    // The image's own 72 x 72 pixels.
    p.drawImage(r.left, r.top, GlobeImage(m_model.Image()));
}

void GlobeBarWidget::ApplyCursor()
{
    switch (m_model.Cursor()) {
    case CGlobeDlgBar::kCursorGrab: setCursor(Qt::ClosedHandCursor); break;
    case CGlobeDlgBar::kCursorOverGlobe: setCursor(Qt::OpenHandCursor); break;
    default: setCursor(Qt::ArrowCursor); break;
    }
}

void GlobeBarWidget::mousePressEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    bool handled = false;
    if (e->button() == Qt::LeftButton)
        handled = m_model.OnLButtonDown(at.x(), at.y());
    else if (e->button() == Qt::RightButton)
        handled = m_model.OnRButtonDown(at.x(), at.y());
    ApplyCursor();
    if (handled)
        grabMouse();
    else
        QWidget::mousePressEvent(e);
}

void GlobeBarWidget::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    m_model.OnMouseMove(at.x(), at.y());
    ApplyCursor();
    if (m_model.IsDragging())
        update();
}

void GlobeBarWidget::mouseReleaseEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    if (e->button() == Qt::LeftButton && m_model.OnLButtonUp(at.x(), at.y())) {
        releaseMouse();
        ApplyCursor();
        return;
    }
    QWidget::mouseReleaseEvent(e);
}

} // namespace kv
