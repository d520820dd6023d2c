// The main window: menus from the command table, the World Tools and Map Tools toolbars,
// the Tools and Climate Selector palettes (docks with 2- and 6-column button grids), the
// status bar, the Color Key bar (hidden at first), and the map widget in the middle. It keeps the status text, saves the bar
// layout ("CBars") and the placement ("Placement") when it closes and restores them at
// start-up, limits its size, and handles the bar toggles of the View menu.
#pragma once

#include "document/DocumentServices.h"
#include "gui/commands/CommandTable.h"

#include <QMainWindow>

#include <functional>
#include <set>
#include <string>
#include <vector>

class QDockWidget;
class QGridLayout;
class QLabel;
class QStyle;
class QToolBar;

namespace kv {

class AppSettings;
class CWorldEditSheet;
class CMapViewProperties;
class CGlobeDlgBar;
class GlobeBarWidget;
class CToolOptionsBar;
class CColorKeyDlg;
class SurfaceSampler;

// The frame is also what document commands ask to show a bar or run a command after theirs
// (the application installs it as the frame requests).
class CMainFrame : public QMainWindow, public CommandTarget, public FrameRequests {
    Q_OBJECT
public:
    static constexpr int kInitialWidth = 515, kInitialHeight = 375;
    static constexpr int kMinTrackWidth = 240, kMinTrackHeight = 240;
    static constexpr int kStartupWidth = 512, kStartupHeight = 384;
    // Bumped whenever the set of bars changes, so an older saved layout is not loaded.
    static constexpr int kBarStateVersion = 4;
    static constexpr const char* kBarStateSection = "CBars";
    static constexpr const char* kIdleMessage = "For Help, press F1";

    // `batch`: no bars (a windowless run).
    CMainFrame(CommandActions& actions, bool batch, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The bar window of an id (59392, 33131, 33132, 33128, 59393, 33129 ...); null when
    // there is none.
    QWidget* Bar(int id) const;
    QToolBar* WorldToolsBar() const { return m_worldTools; }
    QToolBar* MapToolsBar() const { return m_mapTools; }
    QDockWidget* ToolsPalette() const { return m_toolsPalette; }
    QDockWidget* ClimatePalette() const { return m_climatePalette; }
    QDockWidget* ViewPropertiesBar() const { return m_propertiesDock; }
    CMapViewProperties* ViewProperties() const { return m_properties; }
    QDockWidget* GlobeDock() const { return m_globeDock; }
    GlobeBarWidget* GlobeBar() const { return m_globeBar; }
    QDockWidget* ColorKeyBar() const { return m_colorKeyDock; }
    // The colour key inside it (null in a batch run).
    CColorKeyDlg* ColorKey() const { return m_colorKey; }
    // The colour key follows a view's new sampler (null: it shows nothing).
    void RefreshColorKey(SurfaceSampler* sampler);
    // The globe model (null in a batch run).
    CGlobeDlgBar* Globe() const;
    // Idle: one pass of the globe's picture while it is not complete; true when it drew.
    bool RenderGlobeStep();
    // Moves the map view's centre by the degrees (through the globe's centre).
    void MoveViewCentre(double latitudeDelta, double longitudeDelta);
    // The bar the current tool places its option panel in (null in a batch run).
    CToolOptionsBar* GetToolOptionsBar() const { return m_toolOptions; }
    // The palette grid's column count.
    static int PaletteColumns(const QDockWidget* palette);

    // The style the menus draw their items with (null in a batch run).
    QStyle* MenuStyle() const { return m_menuStyle; }

    void SetStatusText(const QString& text);
    QString StatusText() const;
    void ShowClimateSelectorBar(bool show);
    // The World Settings sheet: made on the first toggle, then hidden and shown; every show
    // loads the active document's world into it.
    void ToggleWorldSettings();
    // Loads the active document's world into the sheet when it exists (refreshing it when
    // visible); the Lighting and Color sheet retakes the view's lighting when visible.
    void RefreshWorldSettings();
    // Shows the Lighting and Color sheet when hidden, hides it when shown.
    void ToggleLightingAndColor();
    CWorldEditSheet* WorldSettingsSheet() const { return m_worldSheet; }

    // Bar layout and placement in the profile.
    void SaveBarState(const AppSettings& profile) const;
    // Loads "CBars" when it was saved for this set of bars; false (defaults kept) otherwise.
    bool LoadBarState(const AppSettings& profile);
    void SavePlacement(const AppSettings& profile) const;
    bool RestorePlacement(const AppSettings& profile);

    // While the start-up guide is open the window keeps 512 x 384.
    void SetStartupMode(bool open);

    // What closing asks first (the document's save prompt): false keeps the window open.
    void SetCloseGuard(std::function<bool()> guard) { m_closeGuard = std::move(guard); }
    // Called once the window is really closing (after the layout was saved).
    void SetCloseHandler(std::function<void()> handler) { m_closed = std::move(handler); }
    void SetProfile(const AppSettings* profile) { m_profile = profile; }
    // Files dropped on the window (local paths).
    void SetDropHandler(std::function<void(const std::vector<std::string>&)> handler)
    {
        m_drop = std::move(handler);
        setAcceptDrops(static_cast<bool>(m_drop));
    }

    // ---- CommandTarget: the bar toggles ----
    bool HasCommand(int id) const override;
    void OnCommand(int id) override;
    void OnUpdateCommand(int id, CommandState& state) override;

    // ---- FrameRequests ----
    void ShowBar(int bar) override;
    // Queues the command; it runs through the command routing once the current one is done.
    bool PostCommand(int id) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QToolBar* MakeToolbar(int barId, int resourceId, const char* title, Qt::ToolBarArea area);
    QDockWidget* MakePalette(int barId, int resourceId, const char* title, int columns);
    // Puts a floating bar at the client area's top-left corner, right of the floating bars
    // shown there; each bar once, and none after a saved layout was restored.
    void PlaceFloatingBar(QDockWidget* dock);

    CommandActions& m_actions;
    bool m_batch;
    QToolBar* m_worldTools = nullptr;
    QToolBar* m_mapTools = nullptr;
    QDockWidget* m_toolsPalette = nullptr;
    QDockWidget* m_climatePalette = nullptr;
    QDockWidget* m_propertiesDock = nullptr;
    CMapViewProperties* m_properties = nullptr;
    QDockWidget* m_globeDock = nullptr;
    GlobeBarWidget* m_globeBar = nullptr;
    CToolOptionsBar* m_toolOptions = nullptr;
    QDockWidget* m_colorKeyDock = nullptr;
    CColorKeyDlg* m_colorKey = nullptr;
    QLabel* m_statusLabel = nullptr;
    QStyle* m_menuStyle = nullptr;
    QString m_statusText;
    bool m_layoutRestored = false;
    std::set<QDockWidget*> m_placedBars;
    std::function<bool()> m_closeGuard;
    std::function<void()> m_closed;
    std::function<void(const std::vector<std::string>&)> m_drop;
    const AppSettings* m_profile = nullptr;
    CWorldEditSheet* m_worldSheet = nullptr;  // a child window: freed with the frame
};

} // namespace kv
