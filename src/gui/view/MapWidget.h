// The map view's window: owns the view core (CKVView) over the document and the view's
// tools (ViewInput), draws the core's composite 1:1 (rows bottom-up, drawn flipped, no
// pixel converted), lets the current tool draw its feedback into the screen image, turns
// Qt input into tool events, redraws on the frame timer and prints.
#pragma once

#include "gui/commands/CommandTable.h"
#include "gui/view/PaintCommands.h"
#include "view/CKVView.h"
#include "view/DocumentAdapter.h"
#include "view/SavedViewExport.h"
#include "view/ViewCommands.h"
#include "view/ViewInput.h"
#include "view/tools/MouseTool.h"
#include "view/tools/ToolImageOverlay.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QMenu;
class QPainter;
class QPrinter;

namespace kv {

class CAltColorDlg;
class CColorKeyDlg;
class CKVDoc;
class CMainFrame;
class CViewInfoDlg;
class CToolOptionsBar;
class FeedbackImageCanvas;

class MapWidget : public QWidget,
                  public ViewFrame,
                  public ToolHost,
                  public ToolWindow,
                  public CommandTarget,
                  public ViewCommandHost {
    Q_OBJECT
public:
    static constexpr int kFrameTimerId = 101;

    MapWidget(CKVDoc& document, QWidget* parent = nullptr);
    ~MapWidget() override;

    CKVView& View() { return *m_view; }
    ViewInput& Input() { return *m_input; }
    CKVDoc& Document() { return m_document; }
    ViewCommands& Commands() { return *m_commands; }
    // The saved-views window (null until the View Window command made it).
    CViewInfoDlg* ViewWindow() const { return m_viewWindow; }
    // Exports saved views with the settings of the run (the settings dialog first).
    void ExportViews(const std::vector<const CViewInfo*>& views);
    // The settings of the last export of the run.
    static ViewExportSettings& ExportSettings();
    void SetFrame(CMainFrame* frame);
    // Preference ZS and whether the start-up guide is open.
    void SetZoomWindowStyle(std::function<bool()> zs) { m_zoomStyle = std::move(zs); }
    void SetStartupActive(std::function<bool()> active) { m_startupActive = std::move(active); }

    // What is on the screen (the composite plus the tool's feedback).
    const QImage& ScreenImage() const { return m_screen; }
    // Draws the composite into the screen image and the tool's feedback over it.
    void RefreshScreenImage();
    // The tool's feedback drawn (XOR) into the screen image once more.
    void DrawToolFeedback();
    // The milliseconds of the frame timer (0: none set).
    int FrameTimerInterval() const { return m_frameInterval; }
    // Whether the frame timer runs: only while the view has frames to show (a render under
    // way, the selection's moving outline); an idle window paints nothing.
    bool FrameTimerRunning() const { return m_timer.isActive(); }
    // Starts the frame timer again when the view has frames to show (the idle tick calls it
    // after every batch of events).
    void WakeFrameTimer();

    // Prints the composite (off-map pixels white) centred at the largest size of its
    // aspect ratio inside the page less one inch on each side.
    void PrintTo(QPrinter& printer);
    // The same onto any page of `page` pixels at the given resolution.
    void PrintPage(QPainter& painter, const QRect& page, int dpiX, int dpiY);
    // Where an image of `image` pixels goes on the page: the largest size of its aspect
    // ratio inside the page less one inch on each side, centred.
    static QRect PrintTarget(QSize image, const QRect& page, int dpiX, int dpiY);

    // ---- CommandTarget: print and print preview, and the view's commands ----
    bool HasCommand(int id) const override;
    void OnCommand(int id) override;
    void OnUpdateCommand(int id, CommandState& state) override;

    // ---- ViewFrame ----
    void RefreshColorKey(SurfaceSampler* sampler) override;
    void SetWaitCursor(bool on) override;
    void Invalidate() override;
    void SetFrameTimer(int milliseconds) override;
    void DrawImageBlock(int x, int y) override;
    void RefreshToolRange() override;
    void ShowProjectedAxes(SurfaceSampler& sampler, int width, int height, double radius) override;
    bool HasGlobeBar() const override;
    void SetGlobeView(double latitude, double longitude) override;
    void SetGlobeSource(SurfMap* world, LightParms* light) override;
    void TraceViewOnGlobe(const VideoBuffer& coverage, const ProjectionParms& projection) override;
    void RedrawGlobe() override;
    void MoveViewCentre(double latitudeDelta, double longitudeDelta) override;

    // ---- ViewCommandHost: the dialogs and windows there are ----
    bool AskViewName(std::string& name) override;
    bool HasViewWindow() const override { return true; }
    void ToggleViewWindow() override;
    bool ViewWindowVisible() const override;
    void RefillViewWindow() override;
    bool HasOverlayWindow() const override { return true; }
    bool HasAltColorWindow() const override { return true; }
    void ToggleAltColorWindow() override;
    bool AltColorWindowVisible() const override;
    CAltColorDlg* AltColorWindow() const { return m_altColor.get(); }
    bool HasProjectionDialog() const override { return true; }
    bool RunProjectionDialog(ProjectionParms& parms, SurfMap& world, LightParms& light) override;
    bool HasGridDialog() const override { return true; }
    bool RunGridDialog(CRectGrid& grid) override;
    bool HasLightingAndColor() const override;
    bool HasWorldSettings() const override { return m_frame != nullptr; }
    void ToggleWorldSettings() override;
    bool WorldSettingsVisible() const override;
    void ToggleLightingAndColor() override;
    bool LightingAndColorVisible() const override;
    void CloseMainWindowNow() override;
    void PostCloseMainWindow() override;
    void ActiveOverlayChanged() override;

    // ---- ToolHost ----
    SurfMap* World() override;
    bool PixelToLatLon(int x, int y, double& latitude, double& longitude) override;
    void EvaluatePoint(CursorInfo& info) override;
    void ShowCursorInfo(const CursorInfo& info) override;
    bool StartupFileActive() const override { return m_startupActive && m_startupActive(); }
    bool ZoomWindowStyle() const override { return m_zoomStyle && m_zoomStyle(); }
    bool ActiveOverlayOpacity(int& alpha) const override;
    void SetStatusText(const std::string& text) override;
    void ShowContextMenu(int x, int y) override;
    ToolWindow* Window() override { return this; }
    const ProjectionParms* ViewProjection() override { return &m_view->Projection(); }
    void PushViewHistory() override { m_view->PushViewHistory(); }
    void XorToolFeedback() override;
    void CaptureMouse(bool capture) override;
    int GetStartupLine() const override;
    int SetStartupLine(int n) override;
    int ReadStartupPage(int n, StartupPage& page) override;
    int ClearStartupFile() override;
    // The paint tools' needs.
    ToolOptionsBar* OptionsBar() override;
    bool LatLonToPixel(double latitude, double longitude, int& x, int& y) override;
    bool PaintStroke(int code, int x, int y, bool press, ChannelBrush& brush) override;
    void ToggleToolFeedback() override;
    PaintCommands& Paint() { return *m_paint; }
    // ---- ToolHost: the map-editing tools ----
    CKVDoc* EditedDocument() override { return &m_document; }
    FeedbackCanvas* FeedbackTarget() override;
    void SetKeepImage(bool keep) override;
    // The view's active overlay while it is one of the document's, else none.
    void GiveOverlayTool(MouseTool& tool, uint32_t colour) override;

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
    // Draws the current start-up page over the whole screen image: its picture stretched,
    // or, when the picture cannot be read, its name and its three buttons.
    void DrawStartupPage(QImage& target);
    void DrawComposite(QImage& target, const VideoBuffer& composite);
    void DrawTimingLines(QPainter& painter);
    // A left or right button event to the tool; true when the tool handled it.
    bool DispatchButton(QMouseEvent* event, bool down);
    static int KeyCodeOf(const QKeyEvent* event);
    static unsigned KeyFlagsOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

    CKVDoc& m_document;
    DocumentAdapter m_adapter;
    std::unique_ptr<FeedbackImageCanvas> m_liveCanvas;
    std::unique_ptr<CKVView> m_view;
    std::unique_ptr<CAltColorDlg> m_altColor;
    // What the colour-to-altitude picker tool reaches: this view's window, while it is the
    // one last opened or picked from.
    struct AltColorTarget : AltColorWindow {
        MapWidget* owner = nullptr;
        void AddEntryForColor(uint32_t rgb) override;
    } m_altColorTarget;
    std::unique_ptr<ViewInput> m_input;
    std::unique_ptr<ViewCommands> m_commands;
    CViewInfoDlg* m_viewWindow = nullptr;
    std::unique_ptr<PaintCommands> m_paint;
    CMainFrame* m_frame = nullptr;
    // The frame's tool options bar; it may go before this widget when the frame closes.
    QPointer<CToolOptionsBar> m_optionsBar;
    // The frame's colour key, which may also go first.
    QPointer<CColorKeyDlg> m_colorKey;
    CommandActions* m_actions = nullptr;
    QImage m_screen;
    QTimer m_timer;
    int m_frameInterval = 0;
    std::function<bool()> m_zoomStyle;
    std::function<bool()> m_startupActive;
    // The start-up page's picture and the file it was loaded from (tried once per file).
    QImage m_startupPicture;
    std::string m_startupPictureName;
    int m_waitDepth = 0;
    bool m_screenFresh = false;
    // Timing of the last draws (Alt+Ctrl shows them).
    QElapsedTimer m_clock;
    double m_lastBase = -1.0;
    double m_stamps[7] = {};
};

} // namespace kv
