#include "gui/view/MapWidget.h"

#include "document/CKVDoc.h"
#include "gui/commands/CommandIds.h"
#include "gui/frame/CMainFrame.h"
#include "gui/view/FeedbackImageCanvas.h"
#include "world/SurfaceSampler.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QWheelEvent>

#include <cstdio>

namespace kv {

namespace {

using namespace cmd;

constexpr int kBlockSide = 32;

// The composite's pixels as they are held: the bytes blue, green, red, extra, which is
// Qt's RGB32 (the extra byte is not looked at).
QImage WrapComposite(const VideoBuffer& composite)
{
    return QImage(composite.GetBits(), composite.GetWidth(), composite.GetHeight(),
                  static_cast<qsizetype>(composite.RowBytes()), QImage::Format_RGB32);
}

} // namespace

MapWidget::MapWidget(CKVDoc& document, QWidget* parent)
    : QWidget(parent), m_document(document), m_adapter(document)
{
    setObjectName(QStringLiteral("MapView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    m_view = std::make_unique<CKVView>(m_adapter, this);
    m_input = std::make_unique<ViewInput>(*this);
    connect(&m_timer, &QTimer::timeout, this, [this] { update(); });
    m_clock.start();
}

MapWidget::~MapWidget()
{
    m_timer.stop();
    m_input.reset();
    m_view.reset();
}

// ---------------------------------------------------------------- drawing

void MapWidget::DrawComposite(QImage& target, const VideoBuffer& composite)
{
    QPainter p(&target);
    if (composite.IsEmpty() || composite.GetBitCount() != 32) {
        p.fillRect(target.rect(), Qt::black);
        return;
    }
    const QImage image = WrapComposite(composite);
    // Rows are held bottom-up: drawn flipped, row for row.
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.translate(0, composite.GetHeight());
    p.scale(1, -1);
    p.drawImage(0, 0, image);
}

void MapWidget::RefreshScreenImage()
{
    if (m_screen.size() != size() || m_screen.isNull())
        m_screen = QImage(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    const double base = m_clock.nsecsElapsed() * 1e-6;
    const VideoBuffer& composite = m_view->Compose(false);
    const double composed = m_clock.nsecsElapsed() * 1e-6;
    DrawComposite(m_screen, composite);
    const double drawn = m_clock.nsecsElapsed() * 1e-6;
    DrawToolFeedback();
    const double brush = m_clock.nsecsElapsed() * 1e-6;
    // The core composes overlays, grids and the selection in one call: its time is shown
    // as "Overlay", the two others as 0.
    m_stamps[0] = composed - base;
    m_stamps[1] = 0.0;
    m_stamps[2] = 0.0;
    m_stamps[3] = drawn - composed;
    m_stamps[4] = brush - drawn;
    m_stamps[5] = brush - base;
    m_stamps[6] = m_lastBase < 0.0 ? 0.0 : base - m_lastBase;
    m_lastBase = base;
}

void MapWidget::DrawToolFeedback()
{
    if (m_screen.isNull())
        return;
    FeedbackImageCanvas canvas(m_screen);
    m_input->DrawFeedback(canvas);
}

void MapWidget::DrawTimingLines(QPainter& painter)
{
    static const char* const kNames[7] = {"Overlay", "Grid Overlay", "Selection", "Draw", "Brush", "Screen", "Frame"};
    static const int kRows[7] = {20, 40, 60, 80, 100, 140, 160};
    painter.setPen(Qt::white);
    for (int i = 0; i < 7; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "%12s: %0.1lf", kNames[i], m_stamps[i]);
        painter.drawText(0, kRows[i], QString::fromLatin1(line));
    }
}

void MapWidget::paintEvent(QPaintEvent*)
{
    // A repaint of a block already drawn into the screen image composes nothing.
    if (!m_screenFresh || m_screen.size() != size())
        RefreshScreenImage();
    m_screenFresh = false;
    QPainter p(this);
    p.drawImage(0, 0, m_screen);
    const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
    if ((held & Qt::AltModifier) && (held & Qt::ControlModifier))
        DrawTimingLines(p);
}

void MapWidget::resizeEvent(QResizeEvent*)
{
    m_view->SetClientSize(width(), height());
}

void MapWidget::DrawImageBlock(int x, int y)
{
    if (m_screen.isNull())
        return;
    // Feedback off, the freshly rendered block straight from the image, feedback on.
    DrawToolFeedback();
    const VideoBuffer& image = m_view->ImageBuffer();
    if (!image.IsEmpty() && image.GetBitCount() == 32) {
        QPainter p(&m_screen);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        const QRect block(x, y, kBlockSide, kBlockSide);
        p.setClipRect(block);
        p.translate(0, image.GetHeight());
        p.scale(1, -1);
        const std::lock_guard<std::mutex> lock(m_view->ViewLock());
        p.drawImage(0, 0, WrapComposite(image));
    }
    DrawToolFeedback();
    m_screenFresh = true;
    repaint(QRect(x, y, kBlockSide, kBlockSide));
}

// ---------------------------------------------------------------- frame services

void MapWidget::SetWaitCursor(bool on)
{
    if (on) {
        ++m_waitDepth;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_waitDepth > 0) {
        --m_waitDepth;
        QApplication::restoreOverrideCursor();
    }
}

void MapWidget::Invalidate() { update(); }

void MapWidget::SetFrameTimer(int milliseconds)
{
    if (milliseconds > 0)
        m_timer.start(milliseconds);
    else
        m_timer.stop();
}

int MapWidget::FrameTimerInterval() const { return m_timer.isActive() ? m_timer.interval() : 0; }

void MapWidget::RefreshToolRange() { m_input->SyncToolValues(); }

// ---------------------------------------------------------------- tool host

SurfMap* MapWidget::World() { return &m_document.GetWorld(); }

bool MapWidget::PixelToLatLon(int x, int y, double& latitude, double& longitude)
{
    return m_view->PixelToLatLon(x, y, latitude, longitude);
}

void MapWidget::EvaluatePoint(CursorInfo& info)
{
    SurfaceSampler* sampler = m_view->GetSampler();
    if (!sampler)
        return;
    info.altitude = sampler->GetAltitude(info.latitude, info.longitude);
    int climateClass = -1;
    sampler->GetClimate(info.latitude, info.longitude, info.altitude, info.rainfall, info.temperature, climateClass,
                        nullptr);
    info.climate = climateClass;
    info.className = sampler->GetClimateName(climateClass);
}

bool MapWidget::ActiveOverlayOpacity(int& alpha) const
{
    const ImageOverlay* overlay = m_view->GetActiveOverlay();
    alpha = overlay ? overlay->opacity : 255;
    return overlay != nullptr;
}

void MapWidget::SetStatusText(const std::string& text)
{
    if (m_frame)
        m_frame->SetStatusText(QString::fromStdString(text));
}

const std::vector<int>& MapWidget::ContextMenuCommands()
{
    static const std::vector<int> kIds = {kFilePrint, kFilePrintPreview};
    return kIds;
}

void MapWidget::ShowContextMenu(int x, int y)
{
    if (!m_actions)
        return;
    QMenu menu(this);
    if (m_frame && m_frame->MenuStyle())
        menu.setStyle(m_frame->MenuStyle());
    m_actions->UpdateActions(ContextMenuCommands());
    for (int id : ContextMenuCommands()) {
        if (QAction* action = m_actions->Action(id))
            menu.addAction(action);
    }
    if (!menu.isEmpty())
        menu.exec(mapToGlobal(QPoint(x, y)));
}

void MapWidget::ApplyCursor(int cursorId)
{
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (cursorId == kCursorPaintBrush)
        shape = Qt::CrossCursor;
    else if (cursorId == kCursorPicker)
        shape = Qt::PointingHandCursor;
    else if (cursorId >= kCursorHandFirst && cursorId <= kCursorHandLast)
        shape = cursorId == kCursorHandFirst ? Qt::OpenHandCursor : Qt::ClosedHandCursor;
    setCursor(shape);
}

// ---------------------------------------------------------------- input

unsigned MapWidget::KeyFlagsOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    unsigned flags = 0;
    if (buttons & Qt::LeftButton)
        flags |= kToolFlagLButton;
    if (buttons & Qt::RightButton)
        flags |= kToolFlagRButton;
    if (buttons & Qt::MiddleButton)
        flags |= kToolFlagMButton;
    if (modifiers & Qt::ShiftModifier)
        flags |= kToolFlagShift;
    if (modifiers & Qt::ControlModifier)
        flags |= kToolFlagControl;
    return flags;
}

int MapWidget::KeyCodeOf(const QKeyEvent* event)
{
    const int key = event->key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 'A' + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return '0' + (key - Qt::Key_0);
    switch (key) {
    case Qt::Key_Space: return kKeySpace;
    case Qt::Key_Shift: return kKeyShift;
    case Qt::Key_Control: return kKeyControl;
    case Qt::Key_Escape: return kKeyEscape;
    case Qt::Key_Return: case Qt::Key_Enter: return 13;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    default: return 0;
    }
}

bool MapWidget::DispatchButton(QMouseEvent* e, bool down)
{
    int message = 0;
    if (e->button() == Qt::LeftButton)
        message = down ? kToolMsgLButtonDown : kToolMsgLButtonUp;
    else if (e->button() == Qt::RightButton)
        message = down ? kToolMsgRButtonDown : kToolMsgRButtonUp;
    return message != 0 && m_input->OnMouse(message, KeyFlagsOf(e->buttons(), e->modifiers()), e->position().x(),
                                            e->position().y());
}

void MapWidget::mousePressEvent(QMouseEvent* e)
{
    if (!DispatchButton(e, true))
        QWidget::mousePressEvent(e);
}

void MapWidget::mouseReleaseEvent(QMouseEvent* e)
{
    if (!DispatchButton(e, false))
        QWidget::mouseReleaseEvent(e);
}

void MapWidget::mouseMoveEvent(QMouseEvent* e)
{
    if (!m_input->OnMouse(kToolMsgMouseMove, KeyFlagsOf(e->buttons(), e->modifiers()), e->position().x(),
                          e->position().y()))
        QWidget::mouseMoveEvent(e);
}

void MapWidget::wheelEvent(QWheelEvent* e)
{
    if (!m_input->OnMouse(kToolMsgMouseWheel, KeyFlagsOf(e->buttons(), e->modifiers()), e->position().x(),
                          e->position().y(), e->angleDelta().y()))
        QWidget::wheelEvent(e);
}

void MapWidget::keyPressEvent(QKeyEvent* e)
{
    if (!m_input->OnKeyDown(KeyCodeOf(e), e->isAutoRepeat()))
        QWidget::keyPressEvent(e);
}

void MapWidget::keyReleaseEvent(QKeyEvent* e)
{
    if (!m_input->OnKeyUp(KeyCodeOf(e), e->isAutoRepeat()))
        QWidget::keyReleaseEvent(e);
}

void MapWidget::contextMenuEvent(QContextMenuEvent* e)
{
    m_input->OnContextMenu(e->pos().x(), e->pos().y(), e->reason() == QContextMenuEvent::Keyboard);
}

void MapWidget::enterEvent(QEnterEvent* e)
{
    m_input->OnSetCursor();
    QWidget::enterEvent(e);
}

// ---------------------------------------------------------------- printing

QRect MapWidget::PrintTarget(QSize image, const QRect& page, int dpiX, int dpiY)
{
    const QRect area(page.left() + dpiX, page.top() + dpiY, page.width() - 2 * dpiX, page.height() - 2 * dpiY);
    if (image.isEmpty() || area.width() <= 0 || area.height() <= 0)
        return QRect();
    const double scale =
        std::min(static_cast<double>(area.width()) / image.width(), static_cast<double>(area.height()) / image.height());
    const int w = static_cast<int>(image.width() * scale), h = static_cast<int>(image.height() * scale);
    return QRect(area.left() + (area.width() - w) / 2, area.top() + (area.height() - h) / 2, w, h);
}

void MapWidget::PrintPage(QPainter& painter, const QRect& page, int dpiX, int dpiY)
{
    const VideoBuffer& composite = m_view->Compose(true);
    if (!composite.IsEmpty() && composite.GetBitCount() == 32) {
        int w = 0, h = 0;
        m_view->GetRenderSize(w, h);
        w = std::min(w, composite.GetWidth());
        h = std::min(h, composite.GetHeight());
        const QRect target = PrintTarget(QSize(w, h), page, dpiX, dpiY);
        if (target.isValid()) {
            // Rows are held bottom-up: flipped once for the page.
            const QImage image = WrapComposite(composite).mirrored(false, true);
            painter.drawImage(target, image, QRect(0, 0, w, h));
        }
    }
    update();
}

void MapWidget::PrintTo(QPrinter& printer)
{
    QPainter p(&printer);
    if (!p.isActive())
        return;
    PrintPage(p, printer.pageLayout().paintRectPixels(printer.resolution()), printer.logicalDpiX(),
              printer.logicalDpiY());
}

bool MapWidget::HasCommand(int id) const { return id == kFilePrint || id == kFilePrintPreview; }

void MapWidget::OnCommand(int id)
{
    if (id == kFilePrint) {
        QPrinter printer;
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() == QDialog::Accepted)
            PrintTo(printer);
    } else if (id == kFilePrintPreview) {
        QPrintPreviewDialog preview(this);
        connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* printer) { PrintTo(*printer); });
        preview.exec();
    }
}

void MapWidget::OnUpdateCommand(int id, CommandState& state)
{
    if (HasCommand(id))
        state.enabled = m_view->GetPass() <= 0;
}

} // namespace kv
