#include "gui/view/MapWidget.h"

#include "gui/frame/CMapViewProperties.h"
#include "gui/controls/CColorKeyDlg.h"
#include "gui/dialogs/CAltColorDlg.h"
#include "gui/dialogs/CGridSettingsDlg.h"
#include "gui/dialogs/CMapProjectionDlg.h"
#include "world/GreatCircle.h"

#include "base/AppFolders.h"
#include "base/AppSettings.h"
#include "document/CKVDoc.h"
#include "exchange/SavedViewsExport.h"
#include "gui/commands/CommandIds.h"
#include "gui/app/KVApp.h"
#include "gui/app/StartupFile.h"
#include "gui/controls/DialogParts.h"
#include "gui/dialogs/CViewExportSettingsDlg.h"
#include "gui/dialogs/CViewInfoDlg.h"
#include "gui/dialogs/CViewNameDlg.h"
#include "gui/frame/CMainFrame.h"
#include "gui/sheets/CWorldEditSheet.h"
#include "gui/frame/GlobeBarWidget.h"
#include "shading/ShaderRegistry.h"
#include "view/CGlobeDlgBar.h"
#include "gui/tools/CToolOptionsBar.h"
#include "gui/view/FeedbackImageCanvas.h"
#include "gui/view/ToolCursors.h"
#include "view/tools/ToolImageOverlay.h"
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
// The colour-picking tool the colour-to-altitude window switches to.
constexpr int kPickColourTool = 33;

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
    m_commands = std::make_unique<ViewCommands>(*m_view, m_document, *this, m_input.get());
    m_paint = std::make_unique<PaintCommands>(document, *m_view, *m_input);
    // Feedback drawn outside a repaint (a tool erasing and drawing as the mouse moves) asks
    // for one repaint; a repaint itself draws through its own canvas and asks for none.
    m_liveCanvas = std::make_unique<FeedbackImageCanvas>(m_screen, [this] { update(); });
    connect(&m_timer, &QTimer::timeout, this, [this] {
        update();
        // This frame shows the finished render: the timer rests until the view has more.
        if (!m_view->NeedsFrames())
            m_timer.stop();
    });
    m_clock.start();
}

MapWidget::~MapWidget()
{
    if (GetAltColorWindow() == &m_altColorTarget)
        SetAltColorWindow(nullptr);
    m_timer.stop();
    // The colour key must not keep this view's sampler.
    if (m_colorKey && m_colorKey->Source() == m_view->GetSampler())
        m_colorKey->SetSource(nullptr);
    delete m_viewWindow;
    m_viewWindow = nullptr;
    m_commands.reset();
    m_paint.reset();
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
    if (StartupFileActive()) {
        DrawStartupPage(m_screen);
        return;
    }
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

void MapWidget::DrawStartupPage(QImage& target)
{
    QPainter p(&target);
    p.fillRect(target.rect(), Qt::white);
    const CKVApp* app = GetKVApp();
    StartupRecord record;
    if (!app || app->ReadStartupLine(app->GetStartupLine(), record) != 0)
        return;
    const std::string picture = StartupPicturePath(app->StartupFile(), record);
    if (picture != m_startupPictureName) {
        m_startupPictureName = picture;
        VideoBuffer loaded;
        m_startupPicture = loaded.LoadImageFile(picture) == 0 ? ToQImage(loaded) : QImage();
    }
    if (!m_startupPicture.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRect(0, 0, target.width() + 1, target.height() + 1), m_startupPicture);
        return;
    }
    // No picture: the page's text and its buttons where their rectangles are.
    p.setPen(Qt::black);
    p.drawText(target.rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
               QString::fromStdString(record.text));
    const std::pair<const StartupRect*, const char*> buttons[] = {
        {&record.next, "Next"}, {&record.previous, "Previous"}, {&record.close, "Close"}};
    for (const auto& [r, label] : buttons) {
        if (r->right <= r->left || r->bottom <= r->top)
            continue;
        const QRect box(r->left, r->top, r->right - r->left - 1, r->bottom - r->top - 1);
        p.fillRect(box, QColor(230, 230, 230));
        p.drawRect(box);
        p.drawText(box, Qt::AlignCenter, QString::fromLatin1(label));
    }
}

void MapWidget::DrawToolFeedback()
{
    // (The tools are being deleted when the input is gone.)
    if (m_screen.isNull() || !m_input)
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
    m_frameInterval = std::max(0, milliseconds);
    m_timer.stop();
    WakeFrameTimer();
}

void MapWidget::WakeFrameTimer()
{
    if (m_frameInterval > 0 && !m_timer.isActive() && m_view->NeedsFrames())
        m_timer.start(m_frameInterval);
}

void MapWidget::RefreshToolRange() { m_input->SyncToolValues(); }

void MapWidget::ActiveOverlayChanged()
{
    if (!m_input)
        return;
    // With no active overlay an overlay tool gives way to the no-action tool.
    if (!m_view->GetActiveOverlay())
        m_input->DropOverlayTool();
    m_input->SyncToolValues();
}

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
    if (SurfMap* world = World())
        info.waterLevel = world->SampleChannelBilinear(kChannelWaterLevel, info.latitude, info.longitude);
}

void MapWidget::AltColorTarget::AddEntryForColor(uint32_t rgb)
{
    if (owner && owner->m_altColor)
        owner->m_altColor->AddEntryForColor(rgb);
}

void MapWidget::ToggleAltColorWindow()
{
    if (!m_altColor) {
        m_altColor = std::make_unique<CAltColorDlg>([this] { return &m_document; },
                                                    [this] {
                                                        SetAltColorWindow(&m_altColorTarget);
                                                        if (m_input)
                                                            m_input->SetTool(kPickColourTool);
                                                    },
                                                    m_frame ? static_cast<QWidget*>(m_frame) : this);
        KeepAbove(m_altColor.get(), m_frame);
    }
    m_altColorTarget.owner = this;
    SetAltColorWindow(&m_altColorTarget);
    m_altColor->setVisible(!m_altColor->isVisible());
}

bool MapWidget::AltColorWindowVisible() const
{
    return m_altColor && m_altColor->isVisible();
}

bool MapWidget::RunProjectionDialog(ProjectionParms& parms, SurfMap& world, LightParms& light)
{
    CMapProjectionDlg dialog(this);
    dialog.parms = parms;
    dialog.SetSource(&world, &light);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    parms = dialog.parms;
    return true;
}

bool MapWidget::RunGridDialog(CRectGrid& grid)
{
    CGridSettingsDlg dialog(this);
    dialog.copy = grid;
    if (dialog.exec() != QDialog::Accepted)
        return false;
    grid = dialog.copy;
    return true;
}

void MapWidget::ShowCursorInfo(const CursorInfo& info)
{
    if (m_frame && m_frame->ViewProperties())
        m_frame->ViewProperties()->Refresh(info);
}

void MapWidget::ShowProjectedAxes(SurfaceSampler& sampler, int width, int height, double radius)
{
    if (m_frame && m_frame->ViewProperties())
        m_frame->ViewProperties()->ShowMeasure(MeasureProjectedAxes(sampler, width, height, radius));
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

bool MapWidget::LatLonToPixel(double latitude, double longitude, int& x, int& y)
{
    return m_view->LatLonToPixel(latitude, longitude, x, y);
}

FeedbackCanvas* MapWidget::FeedbackTarget()
{
    return m_screen.isNull() ? nullptr : m_liveCanvas.get();
}

void MapWidget::CaptureMouse(bool capture)
{
    if (capture)
        grabMouse();
    else if (QWidget::mouseGrabber() == this)
        releaseMouse();
}

void MapWidget::SetKeepImage(bool keep) { m_view->SetKeepImage(keep); }

void MapWidget::GiveOverlayTool(MouseTool& tool, uint32_t colour)
{
    auto* overlayTool = dynamic_cast<ToolImageOverlay*>(&tool);
    if (!overlayTool)
        return;
    ImageOverlay* active = m_view->GetActiveOverlay();
    const ImageOverlayList& list = m_document.GetOverlays();
    bool listed = false;
    for (int i = 0; i < list.Count() && !listed; ++i)
        listed = list.At(i) == active;
    overlayTool->SetOverlay(listed ? active : nullptr);
    overlayTool->SetColor(colour);
}

void MapWidget::ApplyCursor(int cursorId)
{
    QCursor drawn;
    if (MapEditCursor(cursorId, drawn)) {
        setCursor(drawn);
        return;
    }
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (cursorId == kCursorPaintBrush)
        shape = Qt::CrossCursor;
    else if (cursorId == kCursorPicker)
        shape = Qt::PointingHandCursor;
    else if (cursorId >= kCursorHandFirst && cursorId <= kCursorHandLast)
        shape = cursorId == kCursorHandDrag || cursorId == kCursorHandShiftDrag ? Qt::ClosedHandCursor
                                                                                 : Qt::OpenHandCursor;
    else if (cursorId == kCursorZoom)
        shape = Qt::CrossCursor;
    else if (cursorId == kCursorStartupNext || cursorId == kCursorStartupPrevious || cursorId == kCursorStartupClose)
        shape = Qt::PointingHandCursor;
    setCursor(shape);
}

// ---------------------------------------------------------------- paint tools

void MapWidget::SetFrame(CMainFrame* frame)
{
    m_frame = frame;
    m_optionsBar = frame ? frame->GetToolOptionsBar() : nullptr;
    m_colorKey = frame ? frame->ColorKey() : nullptr;
}

void MapWidget::RefreshColorKey(SurfaceSampler* sampler)
{
    if (m_colorKey)
        m_colorKey->SetSource(sampler);
}

ToolOptionsBar* MapWidget::OptionsBar() { return m_optionsBar.data(); }

bool MapWidget::PaintStroke(int code, int x, int y, bool press, ChannelBrush& brush)
{
    return m_view->PaintStroke(code, x, y, press, brush);
}

void MapWidget::ToggleToolFeedback()
{
    // The screen image holds the feedback drawn so far: toggled there and shown as it is.
    DrawToolFeedback();
    m_screenFresh = true;
    update();
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

bool MapWidget::HasCommand(int id) const
{
    return id == kFilePrint || id == kFilePrintPreview || m_commands->HasCommand(id) || m_paint->HasCommand(id);
}

void MapWidget::OnCommand(int id)
{
    if (m_commands->HasCommand(id)) {
        m_commands->OnCommand(id);
        return;
    }
    if (m_paint->HasCommand(id)) {
        m_paint->OnCommand(id);
        return;
    }
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
    if (m_commands->HasCommand(id)) {
        const ViewCommandState s = m_commands->Update(id);
        state.enabled = s.enabled;
        state.checkable = s.checkable;
        state.checked = s.checked;
        return;
    }
    if (m_paint->HasCommand(id)) {
        m_paint->OnUpdateCommand(id, state);
        return;
    }
    if (HasCommand(id))
        state.enabled = m_view->GetPass() <= 0;
}

// ---------------------------------------------------------------- globe bar

bool MapWidget::HasGlobeBar() const { return m_frame && m_frame->Globe(); }

void MapWidget::SetGlobeView(double latitude, double longitude)
{
    if (CGlobeDlgBar* globe = m_frame ? m_frame->Globe() : nullptr)
        globe->SetCenter(static_cast<float>(latitude), static_cast<float>(longitude));
}

void MapWidget::SetGlobeSource(SurfMap* world, LightParms* light)
{
    if (CGlobeDlgBar* globe = m_frame ? m_frame->Globe() : nullptr)
        globe->SetSource(world, light);
}

void MapWidget::TraceViewOnGlobe(const VideoBuffer& coverage, const ProjectionParms& projection)
{
    if (CGlobeDlgBar* globe = m_frame ? m_frame->Globe() : nullptr)
        globe->SetViewOutline(coverage, projection);
}

void MapWidget::RedrawGlobe()
{
    if (m_frame)
        m_frame->RenderGlobeStep();
}

void MapWidget::MoveViewCentre(double latitudeDelta, double longitudeDelta)
{
    if (m_frame)
        m_frame->MoveViewCentre(latitudeDelta, longitudeDelta);
}

// ---------------------------------------------------------------- view commands' windows

bool MapWidget::AskViewName(std::string& name)
{
    CViewNameDlg dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    name = dialog.Name().toStdString();
    return true;
}

void MapWidget::ToggleViewWindow()
{
    if (!m_viewWindow) {
        ViewInfoDlgActions actions;
        actions.apply = [this](const CViewInfo& info) { m_view->ApplyView(info); };
        actions.addCurrent = [this] { m_commands->AddView(); };
        actions.modified = [this] { m_document.SetModifiedFlag(true); };
        actions.exportViews = [this](const std::vector<const CViewInfo*>& views) { ExportViews(views); };
        m_viewWindow = new CViewInfoDlg(m_view->Settings().savedViews, std::move(actions),
                                        m_frame ? static_cast<QWidget*>(m_frame) : this);
        m_viewWindow->hide();
    }
    m_viewWindow->setVisible(!m_viewWindow->isVisible());
}

bool MapWidget::ViewWindowVisible() const { return m_viewWindow && m_viewWindow->isVisible(); }

void MapWidget::RefillViewWindow()
{
    if (m_viewWindow)
        m_viewWindow->FillList();
}

ViewExportSettings& MapWidget::ExportSettings()
{
    static ViewExportSettings settings;
    return settings;
}

void MapWidget::ExportViews(const std::vector<const CViewInfo*>& views)
{
    CViewExportSettingsDlg dialog(ExportSettings(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    ExportSettings() = dialog.Settings();
    m_view->EnterBusy();
    ExportSavedViews(m_document, views, ExportSettings(), GetExportDir(GetAppSettings()));
    m_view->LeaveBusy();
}

bool MapWidget::HasLightingAndColor() const { return m_frame && HasColoringSheetFactory(); }

void MapWidget::ToggleLightingAndColor()
{
    if (m_frame)
        m_frame->ToggleLightingAndColor();
}

void MapWidget::ToggleWorldSettings()
{
    if (m_frame)
        m_frame->ToggleWorldSettings();
}

bool MapWidget::WorldSettingsVisible() const
{
    return m_frame && m_frame->WorldSettingsSheet() && m_frame->WorldSettingsSheet()->isVisible();
}

bool MapWidget::LightingAndColorVisible() const { return GetShaderRegistry().IsColoringSheetVisible(); }

void MapWidget::CloseMainWindowNow()
{
    if (QWidget* window = m_frame ? static_cast<QWidget*>(m_frame) : this->window())
        window->close();
}

void MapWidget::PostCloseMainWindow()
{
    QWidget* window = m_frame ? static_cast<QWidget*>(m_frame) : this->window();
    QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
}

// ---------------------------------------------------------------- tools' window side

void MapWidget::XorToolFeedback()
{
    DrawToolFeedback();
    update();
}

int MapWidget::GetStartupLine() const
{
    const CKVApp* app = GetKVApp();
    return app ? app->GetStartupLine() : -1;
}

int MapWidget::SetStartupLine(int n)
{
    CKVApp* app = GetKVApp();
    const int old = app ? app->SetStartupLine(n) : n;
    update();
    return old;
}

int MapWidget::ReadStartupPage(int n, StartupPage& page)
{
    const CKVApp* app = GetKVApp();
    if (!app)
        return -4;
    StartupRecord record;
    const int result = app->ReadStartupLine(n, record);
    if (result != 0)
        return result;
    auto copy = [](const StartupRect& r) { return HotRect{r.left, r.top, r.right, r.bottom}; };
    page.next = copy(record.next);
    page.previous = copy(record.previous);
    page.close = copy(record.close);
    return 0;
}

int MapWidget::ClearStartupFile()
{
    CKVApp* app = GetKVApp();
    const int result = app ? app->ClearStartupFile() : 0;
    update();
    return result;
}

} // namespace kv
