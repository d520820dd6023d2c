// The map view's window: owns the view core (CKVView) over the document and the view's
// tools (ViewInput), draws the core's composite 1:1 (rows bottom-up, drawn flipped, no
// pixel converted), lets the current tool draw its feedback into the screen image, turns
// Qt input into tool events, redraws on the frame timer and prints.
#pragma once

#include "gui/commands/CommandTable.h"
#include "view/CKVView.h"
#include "view/DocumentAdapter.h"
#include "view/ViewInput.h"
#include "view/tools/MouseTool.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QMenu;
class QPainter;
class QPrinter;

namespace kv {

class CKVDoc;
class CMainFrame;

class MapWidget : public QWidget, public ViewFrame, public ToolHost, public ToolWindow, public CommandTarget {
    Q_OBJECT
public:
    static constexpr int kFrameTimerId = 101;

    MapWidget(CKVDoc& document, QWidget* parent = nullptr);
    ~MapWidget() override;

    CKVView& View() { return *m_view; }
    ViewInput& Input() { return *m_input; }
    CKVDoc& Document() { return m_document; }
    void SetFrame(CMainFrame* frame) { m_frame = frame; }
    // Preference ZS and whether the start-up guide is open.
    void SetZoomWindowStyle(std::function<bool()> zs) { m_zoomStyle = std::move(zs); }
    void SetStartupActive(std::function<bool()> active) { m_startupActive = std::move(active); }

    // What is on the screen (the composite plus the tool's feedback).
    const QImage& ScreenImage() const { return m_screen; }
    // Draws the composite into the screen image and the tool's feedback over it.
    void RefreshScreenImage();
    // The tool's feedback drawn (XOR) into the screen image once more.
    void DrawToolFeedback();
    // The milliseconds of the frame timer (0: stopped).
    int FrameTimerInterval() const;

    // Prints the composite (off-map pixels white) centred at the largest size of its
    // aspect ratio inside the page less one inch on each side.
    void PrintTo(QPrinter& printer);
    // The same onto any page of `page` pixels at the given resolution.
    void PrintPage(QPainter& painter, const QRect& page, int dpiX, int dpiY);
    // Where an image of `image` pixels goes on the page: the largest size of its aspect
    // ratio inside the page less one inch on each side, centred.
    static QRect PrintTarget(QSize image, const QRect& page, int dpiX, int dpiY);

    // ---- CommandTarget: print and print preview ----
    bool HasCommand(int id) const override;
    void OnCommand(int id) override;
    void OnUpdateCommand(int id, CommandState& state) override;

    // ---- ViewFrame ----
    void SetWaitCursor(bool on) override;
    void Invalidate() override;
    void SetFrameTimer(int milliseconds) override;
    void DrawImageBlock(int x, int y) override;
    void RefreshToolRange() override;

    // ---- ToolHost ----
    SurfMap* World() override;
    bool PixelToLatLon(int x, int y, double& latitude, double& longitude) override;
    void EvaluatePoint(CursorInfo& info) override;
    bool StartupFileActive() const override { return m_startupActive && m_startupActive(); }
    bool ZoomWindowStyle() const override { return m_zoomStyle && m_zoomStyle(); }
    bool ActiveOverlayOpacity(int& alpha) const override;
    void SetStatusText(const std::string& text) override;
    void ShowContextMenu(int x, int y) override;
    ToolWindow* Window() override { return this; }

    // ---- ToolWindow ----
    void ApplyCursor(int cursorId) override;

    // The view commands of the context menu (those that exist).
    static const std::vector<int>& ContextMenuCommands();
    void SetContextActions(CommandActions* actions) { m_actions = actions; }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void keyReleaseEvent(QKeyEvent*) override;
    void contextMenuEvent(QContextMenuEvent*) override;
    void enterEvent(QEnterEvent*) override;

private:
    void DrawComposite(QImage& target, const VideoBuffer& composite);
    void DrawTimingLines(QPainter& painter);
    // A left or right button event to the tool; true when the tool handled it.
    bool DispatchButton(QMouseEvent* event, bool down);
    static int KeyCodeOf(const QKeyEvent* event);
    static unsigned KeyFlagsOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

    CKVDoc& m_document;
    DocumentAdapter m_adapter;
    std::unique_ptr<CKVView> m_view;
    std::unique_ptr<ViewInput> m_input;
    CMainFrame* m_frame = nullptr;
    CommandActions* m_actions = nullptr;
    QImage m_screen;
    QTimer m_timer;
    std::function<bool()> m_zoomStyle;
    std::function<bool()> m_startupActive;
    int m_waitDepth = 0;
    bool m_screenFresh = false;
    // Timing of the last draws (Alt+Ctrl shows them).
    QElapsedTimer m_clock;
    double m_lastBase = -1.0;
    double m_stamps[7] = {};
};

} // namespace kv
